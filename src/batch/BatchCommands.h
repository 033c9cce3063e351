#pragma once

#include "analysis/Catalogue.h"
#include "analysis/Individuals.h"
#include "exchange/PhotoCompanion.h"

#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// `korvex-batch`: the program's analyses from the command line, on the same
// core as the windows, for large catalogues and scripted checks. Each
// subcommand prints exactly the text the window would put on the clipboard.
class BatchCommands {
public:
    // Exit codes.
    static constexpr int kOk = 0;
    static constexpr int kNothingToDo = 1; // e.g. a data set without records
    static constexpr int kUsage = 2;       // bad arguments
    static constexpr int kUnreadable = 3;  // an input file could not be read
    static constexpr int kOutOfMemory = 4; // the output does not fit in memory
    static constexpr int kUnwritable = 5;  // standard output could not be written

    // Reads a whole file as bytes; nothing when it cannot be read (with the
    // reason in `error`). Replaceable for tests.
    using FileReader =
        std::function<std::optional<std::string>(const std::string& path, std::string& error)>;

    BatchCommands(std::ostream& out, std::ostream& err, FileReader reader = {});

    // `args` without the program name.
    int run(const std::vector<std::string>& args);

    static std::string usage();
    // What `--version` prints: "korvex-batch 1.0" and a line end.
    static std::string versionLine();

private:
    struct Options;
    int compare(const Options& options);
    int allPairs(const Options& options);
    int distribution(const Options& options);
    // Reads the data set that --data or --data-text names: kOk, or the exit
    // status after its message went to standard error (kUsage for a data file
    // given as --data-text). Records with a decimal comma in a value are said.
    int readDataSet(const Options& options, std::string& dataSetText);
    // One line on standard error when records of the data set read from
    // `path` hold a value with a decimal comma.
    void warnOfDecimalCommas(const std::string& path, std::string_view dataSetText);
    // Flushes standard output: kOk, or kUnwritable with a message.
    int finishOutput();
    int evaluate(const Options& options);
    int audit(const Options& options);
    int repeatability(const Options& options);
    // The reading of --individual; nothing (after a message) for a bad pattern.
    std::optional<Individuals> individuals(const Options& options);
    // The catalogue of --data or --data-text read by --individual, its views
    // into `dataSetText`; the exit status of a failure otherwise.
    int readCatalogue(const Options& options, std::string& dataSetText,
                      std::optional<Catalogue>& catalogue);
    bool readInput(const std::string& path, std::string& bytes);

    // The population path: capture histories, estimates, and the evaluation
    // in time order, from the records' encounters.
    struct Population;
    int histories(const Options& options);
    int estimate(const Options& options);
    int evaluateInTimeOrder(const Options& options);
    // The catalogue with its encounters (--encounters-text); the exit status
    // of a failure otherwise, after its message.
    int readPopulation(const Options& options, Population& population);
    // The catalogue with its encounters, the occasions of --occasions and the
    // capture histories, the records in no occasion reported.
    int readHistories(const Options& options, Population& population);
    // The photo file name of each record of a --data file that keeps one in
    // its companion; empty for --data-text or without a companion.
    std::map<std::size_t, std::string> photoNames(const Options& options,
                                                  std::string_view dataSetText);
    // The companion beside a --data file, read once; nothing for --data-text,
    // without a companion, or after a message when it cannot be read. A
    // section of it that cannot be read is said and left out.
    const PhotoCompanion::ReadResult* companion(const Options& options);
    // The record number (from 1) of each record identity of the data set.
    static std::map<std::pair<std::string, std::size_t>, std::size_t>
    recordNumbers(std::string_view dataSetText);

    std::ostream& out_;
    std::ostream& err_;
    FileReader reader_;
    std::optional<std::optional<PhotoCompanion::ReadResult>> companion_;
};

} // namespace korvex
