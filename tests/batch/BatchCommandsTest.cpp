#include "batch/BatchCommands.h"

#include "../uilogic/FakePlatformServices.h"
#include "analysis/Distributions.h"
#include "analysis/Repeatability.h"
#include "exchange/TorFile.h"
#include "model/DataSet.h"
#include "model/MeasurementSheet.h"
#include "uilogic/MainWindowModel.h"
#include "version/Version.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include <unistd.h>

namespace korvex {
namespace {

// Runs the batch tool on files held in memory.
struct Batch {
    std::map<std::string, std::string> files;
    std::ostringstream out;
    std::ostringstream err;

    int run(const std::vector<std::string>& args) {
        BatchCommands commands(out, err, [this](const std::string& path, std::string& error) {
            auto it = files.find(path);
            if (it == files.end()) {
                error = "No such file or directory";
                return std::optional<std::string>();
            }
            return std::optional<std::string>(it->second);
        });
        return commands.run(args);
    }
};

// A temporary folder even where TMPDIR is set but empty.
std::filesystem::path temporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

std::string record(const std::string& code, double m, double c) {
    std::string line = code;
    for (int k = 0; k < 16; ++k)
        line += "\t" + std::to_string(m + 0.001 * k).substr(0, 6);
    for (int k = 0; k < 12; ++k)
        line += "\t" + std::to_string(c * (1 + 0.05 * k)).substr(0, 6);
    return line;
}

TEST(BatchCommands, CompareGivesExactlyTheWindowsClipboardText) {
    const std::string sheetLine = record("probe", 0.0612, 0.0811);
    const std::string dataSet = record("T1", 0.06, 0.08) + "\r\n" + record("t2", 0.0615, 0.0805) +
                                "\r\n" + record("T3", 0.2, 0.3) + "\r\n\r\n" +
                                record("after-gap", 0.06, 0.08) + "\r\n";
    test::FakePlatformServices services;
    MainWindowModel window(services);
    window.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
    services.setClipboardText(dataSet);
    window.load_Click(MainWindowModel::LoadFromClipboard);
    services.setClipboardText(sheetLine);
    window.Command9_Click();
    services.files["/k.tor"] = std::string(); // filled by the save below
    services.fileAnswers = {"/k.tor"};
    window.save_Click(MainWindowModel::SaveToFile);

    for (const char* by : {"D1", "D2", "D"}) {
        const int index = std::string(by) == "D1" ? 15 : std::string(by) == "D2" ? 20 : 45;
        // The empty line stops each pass with a message, in the window and in batch.
        const std::size_t passes = index == 45 ? 2 : 1;
        services.messageAnswers.assign(passes, PlatformServices::Answer::Ok);
        window.comp_Click(index);
        const std::string windowText = services.clipboardText();

        for (const char* dataOption : {"--data", "--data-text"}) {
            Batch batch;
            batch.files = {{"sheet.txt", sheetLine},
                           {"k.tor", services.files.at("/k.tor")},
                           {"set.txt", dataSet}};
            const std::string dataFile = std::string(dataOption) == "--data" ? "k.tor" : "set.txt";
            ASSERT_EQ(
                batch.run({"compare", "--by", by, "--sheet", "sheet.txt", dataOption, dataFile}),
                BatchCommands::kOk)
                << batch.err.str();
            EXPECT_EQ(batch.out.str(), windowText) << by << " " << dataOption;
            std::string expectedMessages;
            for (std::size_t i = 0; i < passes; ++i)
                expectedMessages += "No data were selected.\n";
            EXPECT_EQ(batch.err.str(), expectedMessages);
        }
    }
    EXPECT_EQ(services.messages.size(), 4U);
}

TEST(BatchCommands, AllPairsAndDistributionGiveTheWindowsClipboardTexts) {
    const std::string dataSet = record("T1", 0.06, 0.08) + "\r\n" + record("t2", 0.0615, 0.0805) +
                                "\r\n" + record("T3", 0.2, 0.3) + "\r\n";
    test::FakePlatformServices services;
    MainWindowModel window(services);
    window.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
    services.setClipboardText(dataSet);
    window.load_Click(MainWindowModel::LoadFromClipboard);
    window.file_Click(MainWindowModel::AllPairsEntry);
    const std::string windowRows = services.clipboardText();
    EXPECT_EQ(std::count(windowRows.begin(), windowRows.end(), '\n'), 9);

    Batch pairs;
    pairs.files = {{"set.txt", dataSet}};
    ASSERT_EQ(pairs.run({"all-pairs", "--data-text", "set.txt"}), BatchCommands::kOk);
    EXPECT_EQ(pairs.out.str(), windowRows);

    services.seconds = 40000.0;
    services.messageAnswers = {PlatformServices::Answer::Ok};
    window.file_Click(MainWindowModel::DistributionEntry);
    Batch histogram;
    const auto seed = Distributions::seedFromTimeOfDay(40000.0);
    ASSERT_EQ(histogram.run({"distribution", "--seed", std::to_string(seed)}), BatchCommands::kOk);
    EXPECT_EQ(histogram.out.str(), services.clipboardText());
    EXPECT_EQ(histogram.err.str(), services.messages.at(0).text + "\n");
    EXPECT_EQ(services.messages.at(0).title, "KORVEX");
}

TEST(BatchCommands, RankedPrintsTheListInOrder) {
    Batch batch;
    batch.files = {{"s", record("x", 0.06, 0.08)},
                   {"d", record("far", 0.3, 0.3) + "\r\n" + record("same", 0.06, 0.08) + "\r\n"}};
    ASSERT_EQ(batch.run({"compare", "--by", "D1", "--sheet", "s", "--data-text", "d", "--ranked"}),
              0);
    const std::string out = batch.out.str();
    EXPECT_EQ(out.substr(0, out.find("\r\n")), "0.000        same");
    EXPECT_NE(out.find("\r\n"), out.rfind("\r\n")); // two lines
}

TEST(BatchCommands, BadArgumentsAndUnreadableFilesFailClearly) {
    const struct {
        std::vector<std::string> args;
        int code;
        const char* says;
    } cases[] = {
        {{}, BatchCommands::kUsage, "Usage"},
        {{"frobnicate"}, BatchCommands::kUsage, "unknown command"},
        {{"compare", "--by", "D3", "--sheet", "s", "--data", "d"}, BatchCommands::kUsage, "--by"},
        {{"compare", "--by", "D"}, BatchCommands::kUsage, "--sheet"},
        {{"compare", "--by", "D", "--sheet", "s", "--data", "d", "--data-text", "d"},
         BatchCommands::kUsage,
         "one of"},
        {{"compare", "--by", "D", "--sheet"}, BatchCommands::kUsage, "needs a value"},
        {{"compare", "--bogus"}, BatchCommands::kUsage, "unknown option"},
        {{"compare", "--by", "D", "--sheet", "missing", "--data", "d"},
         BatchCommands::kUnreadable,
         "cannot read missing"},
        {{"compare", "--by", "D", "--sheet", "s", "--data-text", "empty"},
         BatchCommands::kNothingToDo,
         "no record"},
    };
    for (const auto& c : cases) {
        Batch batch;
        batch.files = {{"s", record("x", 0.06, 0.08)}, {"d", "R\r\n"}, {"empty", ""}};
        EXPECT_EQ(batch.run(c.args), c.code) << c.says;
        EXPECT_NE(batch.err.str().find(c.says), std::string::npos) << batch.err.str();
        EXPECT_TRUE(batch.out.str().empty()) << c.says;
    }
    Batch help;
    EXPECT_EQ(help.run({"--help"}), 0);
    for (const char* named : {"--data-text", "evaluate", "audit", "--individual", "--threshold",
                              "--version", "repeatability", "--repeats-text", "--operators-text"})
        EXPECT_NE(help.out.str().find(named), std::string::npos) << named;
}

// The tool's own file reading, on disk: a folder given for a file was once
// read as an empty text, so that compare ranked the data against a sheet of
// zeros and said nothing.
TEST(BatchCommands, FilesOnDiskAreReadWholeAndAFolderIsRefused) {
    namespace fs = std::filesystem;
    const fs::path folder = temporaryFolder() / ("korvex-batch-read-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const auto write = [&](const char* name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).string();
    };
    // Larger than one read, so that pieces are joined in order.
    std::string dataSet;
    for (int r = 0; dataSet.size() < 200'000; ++r)
        dataSet += record("T" + std::to_string(r), 0.06 + 0.0001 * (r % 50), 0.08) + "\r\n";
    const std::string sheet = write("sheet.txt", record("probe", 0.0612, 0.0811));
    const std::string data = write("data.txt", dataSet);

    std::ostringstream out, err;
    EXPECT_EQ(BatchCommands(out, err, {})
                  .run({"compare", "--by", "D", "--ranked", "--sheet", sheet, "--data-text", data}),
              BatchCommands::kOk)
        << err.str();
    Batch inMemory;
    inMemory.files = {{sheet, record("probe", 0.0612, 0.0811)}, {data, dataSet}};
    ASSERT_EQ(
        inMemory.run({"compare", "--by", "D", "--ranked", "--sheet", sheet, "--data-text", data}),
        BatchCommands::kOk);
    EXPECT_EQ(out.str(), inMemory.out.str());
    EXPECT_GT(out.str().size(), 1000u);

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"compare", "--by", "D", "--sheet", folder.string(), "--data-text", data},
             {"compare", "--by", "D", "--sheet", sheet, "--data", folder.string()}}) {
        std::ostringstream o, e;
        EXPECT_EQ(BatchCommands(o, e, {}).run(args), BatchCommands::kUnreadable);
        EXPECT_NE(e.str().find("cannot read " + folder.string() + ": Is a directory"),
                  std::string::npos)
            << e.str();
        EXPECT_TRUE(o.str().empty());
    }
    fs::remove_all(folder);
}

// A data file read only in part, or a sheet file that fills no value, once
// gave figures for part of the catalogue, or for a sheet of zeros, without a
// word.
TEST(BatchCommands, InputReadOnlyInPartOrNoSheetIsSaid) {
    const std::string a = record("A", 0.06, 0.08);
    const std::string b = record("B", 0.2, 0.3);
    const std::string head = "\t1\r\n\r\n";
    const struct {
        const char* name;
        std::string data, sheet;
        int code;
        const char* says; // nothing: no message at all
    } cases[] = {
        {"whole", head + " 2 \r\n" + a + "\r\n" + b + "\r\n\r\n", a, BatchCommands::kOk, nullptr},
        {"cut short", head + " 3 \r\n" + a + "\r\n" + b + "\r\n", a, BatchCommands::kOk,
         "d.tor is incomplete: it ends before all the records it announces; 2 records were read"},
        {"records beyond the count", head + " 1 \r\n" + a + "\r\n" + b + "\r\n" + a + "\r\n\r\n", a,
         BatchCommands::kOk,
         "d.tor holds lines after the records it announces, which were not read; 1 record was "
         "read"},
        {"LF line ends", "\t1\n\n 1 \n" + a + "\n\n", a, BatchCommands::kNothingToDo,
         "d.tor is incomplete: it ends before all the records it announces; 0 records were read; "
         "its lines end in LF alone, and a data file's end in CR LF"},
        {"CR CR LF line ends", "\t1\r\r\n\r\r\n 1 \r\r\n" + a + "\r\r\n", a,
         BatchCommands::kNothingToDo,
         "d.tor holds lines after the records it announces, which were not read; 0 records were "
         "read; its lines end in CR CR LF, and a data file's end in CR LF\n"},
        {"first lines in LF", "\t1\n\n 1 \n" + a + "\r\n\r\n" + a + "\r\n", a,
         BatchCommands::kNothingToDo,
         "d.tor holds lines that end in LF alone, which were not read as lines of their own; 0 "
         "records were read; a data file's lines end in CR LF"},
        {"no record line for the sheet", head + " 1 \r\n" + a + "\r\n\r\n", "A\t0.1\t0.2\r\n",
         BatchCommands::kUsage, "s holds no record line"},
    };
    for (const auto& c : cases) {
        Batch batch;
        batch.files = {{"d.tor", c.data}, {"s", c.sheet}};
        EXPECT_EQ(batch.run({"compare", "--by", "D1", "--sheet", "s", "--data", "d.tor"}), c.code)
            << c.name;
        if (c.says)
            EXPECT_NE(batch.err.str().find(c.says), std::string::npos) << batch.err.str();
        else
            EXPECT_EQ(batch.err.str(), "") << c.name;
        EXPECT_EQ(batch.out.str().empty(), c.code != BatchCommands::kOk) << c.name;
    }
    // A data-set text saved by an editor or a spreadsheet, with LF line ends
    // or a byte order mark, reads as the rows it holds: LF ends records as
    // "from Clipboard" takes such rows (it was one line, which audit found
    // nothing wrong with), and the mark is no part of the first code (it
    // made that record an animal of its own).
    const std::string crLf = a + "\r\n" + record("a-2", 0.0601, 0.0801) + "\r\n" + b + "\r\n";
    std::string lf = crLf;
    std::erase(lf, '\r');
    for (const std::string& saved : {lf, "\xEF\xBB\xBF" + crLf})
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"compare", "--by", "D", "--sheet", "s", "--data-text", "t"},
              {"evaluate", "--data-text", "t", "--individual", "^[A-Z]"},
              {"audit", "--data-text", "t"}}) {
            Batch asRows, asSaved;
            asRows.files = {{"t", crLf}, {"s", a}};
            asSaved.files = {{"t", saved}, {"s", a}};
            EXPECT_EQ(asSaved.run(args), asRows.run(args)) << args[0];
            EXPECT_EQ(asSaved.out.str(), asRows.out.str()) << args[0];
            EXPECT_EQ(asSaved.err.str(), asRows.err.str()) << args[0];
        }

    // Every command that reads a data file says it.
    Batch audit;
    audit.files = {{"d.tor", head + " 5 \r\n" + a + "\r\n"}};
    EXPECT_EQ(audit.run({"audit", "--data", "d.tor"}), BatchCommands::kOk);
    EXPECT_NE(audit.err.str().find("d.tor is incomplete"), std::string::npos) << audit.err.str();

    // An editor's last row without its line end is no record.
    Batch unended;
    unended.files = {{"t", a + "\n" + b}};
    EXPECT_EQ(unended.run({"audit", "--data-text", "t"}), BatchCommands::kOk);
    EXPECT_EQ(unended.err.str(), "korvex-batch: t ends in a row without a line end, which is not a "
                                 "record (its code is \"B\")\n");
    // Rows ended by CR alone are no records, from the first of them on.
    Batch crAlone;
    crAlone.files = {{"t", a + "\r\n" + b + "\r" + a + "\r"}};
    EXPECT_EQ(crAlone.run({"audit", "--data-text", "t"}), BatchCommands::kOk);
    EXPECT_EQ(crAlone.err.str(), "korvex-batch: t ends in rows that end in CR alone, from the one "
                                 "with the code \"B\" on, which are not records\n");
}

// A data file given where a data-set text is expected was once read as rows:
// its sheet and count lines stopped every pass ("No data were selected."
// twice), a summary of nothing was printed and the status was 0.
TEST(BatchCommands, ADataFileGivenAsADataSetTextIsRefused) {
    const std::string a = record("A", 0.06, 0.08);
    const std::string b = record("B", 0.2, 0.3);
    MeasurementSheet sheet;
    sheet.setValue(0, "0.0612");
    DataSet dataSet;
    dataSet.setText(a + "\r\n" + b + "\r\n");
    const std::string tor = TorFile::write(sheet, dataSet);
    std::string lf = tor;
    std::erase(lf, '\r');
    const struct {
        const char* name;
        std::string text;
        bool refused;
    } cases[] = {
        {"as the window writes it", tor, true},
        {"with LF line ends", lf, true},
        {"with a byte order mark", "\xEF\xBB\xBF" + tor, true},
        {"a count without blanks", "\t1\r\n\r\n2\r\n" + a + "\r\n" + b + "\r\n", true},
        {"rows, the first without a code", "\t" + a.substr(2) + "\r\n" + b + "\r\n", false},
        {"an empty row after it, then a row", "\t1\r\n\r\n" + a + "\r\n", false},
        {"an empty row after it, then a number and more", "\t1\r\n\r\n 2 x\r\n" + a + "\r\n",
         false},
    };
    for (const auto& c : cases) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"compare", "--by", "D", "--sheet", "s", "--data-text", "t"},
              {"all-pairs", "--data-text", "t"},
              {"evaluate", "--data-text", "t"},
              {"audit", "--data-text", "t"}}) {
            SCOPED_TRACE(std::string(c.name) + ", " + args[0]);
            Batch batch;
            batch.files = {{"t", c.text}, {"s", a}};
            const int status = batch.run(args);
            if (!c.refused) {
                EXPECT_EQ(batch.err.str().find("data file"), std::string::npos) << batch.err.str();
                continue;
            }
            EXPECT_EQ(status, BatchCommands::kUsage);
            EXPECT_EQ(batch.err.str(), "korvex-batch: t is a data file (a sheet line, an empty "
                                       "line, a count line), not a data-set text: give it with "
                                       "--data\n");
            EXPECT_TRUE(batch.out.str().empty()) << batch.out.str();
        }
    }
    // Given with --data, the same file is compared.
    Batch batch;
    batch.files = {{"t.tor", tor}, {"s", a}};
    EXPECT_EQ(batch.run({"compare", "--by", "D", "--sheet", "s", "--data", "t.tor"}),
              BatchCommands::kOk);
    EXPECT_TRUE(batch.err.str().empty()) << batch.err.str();
}

// A value such as "0,0612" reads as 0: records holding one are said once on
// standard error, and so is a sheet value holding one where the measure reads
// it; the figures are printed all the same, as the window shows them.
TEST(BatchCommands, ValuesWithADecimalCommaAreSaid) {
    const std::string a = record("A", 0.06, 0.08);
    std::string b = record("B", 0.2, 0.3);
    b.replace(b.find("\t0.2020"), 7, "\t0,2020");
    const std::string set = a + "\r\n" + b + "\r\n" + b + "\r\n";
    const std::string tor = "\t1\r\n\r\n 3 \r\n" + set + "\r\n";
    const std::string said =
        " holds 2 records with a decimal comma in a value, the first record "
        "2 ('B'), M3 '0,2020'; such a value reads as the digits before the "
        "comma ('0,2020' as 0): the values must use '.' as the decimal point\n";
    std::string sheetComma = a;
    sheetComma.replace(sheetComma.rfind("\t"), 1, "\t1,5");
    const struct {
        std::vector<std::string> args;
        int code;
        std::string err;
    } cases[] = {
        {{"compare", "--by", "D", "--sheet", "a", "--data-text", "set"},
         BatchCommands::kOk,
         "korvex-batch: set" + said},
        {{"compare", "--by", "D", "--sheet", "a", "--data", "d.tor"},
         BatchCommands::kOk,
         "korvex-batch: d.tor" + said},
        {{"audit", "--data-text", "set"}, BatchCommands::kOk, "korvex-batch: set" + said},
        {{"compare", "--by", "D", "--sheet", "a", "--data-text", "plain"}, BatchCommands::kOk, ""},
        {{"compare", "--by", "D2", "--sheet", "comma", "--data-text", "plain"},
         BatchCommands::kOk,
         "korvex-batch: comma: the value of C12, '1,5" + a.substr(a.rfind('\t') + 1) +
             "', has a decimal comma and reads as 1: write it with '.' as the decimal point\n"},
        {{"compare", "--by", "D1", "--sheet", "comma", "--data-text", "plain"},
         BatchCommands::kOk,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[2] + " " + c.args.back());
        Batch batch;
        batch.files = {{"a", a},
                       {"comma", sheetComma},
                       {"set", set},
                       {"d.tor", tor},
                       {"plain", a + "\r\n" + a + "\r\n"}};
        EXPECT_EQ(batch.run(c.args), c.code);
        EXPECT_EQ(batch.err.str(), c.err);
        EXPECT_EQ(batch.out.str().empty(), c.code != BatchCommands::kOk);
        if (c.args[0] == "audit") {
            EXPECT_NE(batch.out.str().find("decimal-comma\t2\tB\tM3\t0,2020\r\n"
                                           "decimal-comma\t3\tB\tM3\t0,2020\r\n"),
                      std::string::npos)
                << batch.out.str();
        }
    }
}

// A sheet file ends with a line end, which the last value keeps, and may hold
// more lines: the warning quotes the value as it reads and stays one line.
TEST(BatchCommands, ASheetValueWithADecimalCommaIsSaidOnOneLine) {
    std::string sheet = record("S", 0.06, 0.08);
    sheet.replace(sheet.rfind('\t'), std::string::npos, "\t1,5");
    const std::string a = record("A", 0.06, 0.08);
    for (const std::string& file : {sheet + "\n", sheet + "\r\n", sheet + "\r\n" + a + "\r\n"}) {
        Batch batch;
        batch.files = {{"s", file}, {"plain", a + "\r\n" + a + "\r\n"}};
        EXPECT_EQ(batch.run({"compare", "--by", "D", "--sheet", "s", "--data-text", "plain"}),
                  BatchCommands::kOk);
        EXPECT_EQ(batch.err.str(), "korvex-batch: s: the value of C12, '1,5', has a decimal comma "
                                   "and reads as 1: write it with '.' as the decimal point\n");
        EXPECT_FALSE(batch.out.str().empty());
    }
}

// The version the build sets, as the About box shows it; a manual page is made
// from --help and --version, so both go to standard output.
TEST(BatchCommands, VersionPrintsTheBuildsVersionAlone) {
    Batch batch;
    EXPECT_EQ(batch.run({"--version"}), BatchCommands::kOk);
    EXPECT_EQ(batch.out.str(), "korvex-batch " + std::string(kVersion) + "\n");
    EXPECT_TRUE(batch.err.str().empty()) << batch.err.str();
    EXPECT_FALSE(kVersion.empty());
    EXPECT_EQ(kVersion.find_first_not_of("0123456789."), std::string_view::npos) << kVersion;
}

TEST(BatchCommands, EvaluateAndAuditTheCatalogue) {
    // T1 was caught twice; T2 once.
    const std::string catalogue = record("T1", 0.06, 0.08) + "\r\n" +
                                  record("t1-2021", 0.0601, 0.0801) + "\r\n" +
                                  record("T2", 0.2, 0.3) + "\r\n" + "\r\n";
    Batch evaluate;
    evaluate.files = {{"c", catalogue}};
    EXPECT_EQ(evaluate.run({"evaluate", "--data-text", "c", "--individual", "^[A-Za-z]+[0-9]"}),
              BatchCommands::kOk);
    const std::string out = evaluate.out.str();
    EXPECT_TRUE(out.starts_with("distance\tqueries\ttop1\ttop5\ttop10\ttop20\tmrr\r\n"
                                "D1\t2\t1.0000\t1.0000\t1.0000\t1.0000\t1.0000\r\n"))
        << out;
    EXPECT_TRUE(out.ends_with("\r\n\r\nskipped\t1\r\n")) << out;
    EXPECT_TRUE(evaluate.err.str().empty());

    // By the whole code, no animal was caught twice.
    Batch alone;
    alone.files = {{"c", catalogue}};
    EXPECT_EQ(alone.run({"evaluate", "--data-text", "c"}), BatchCommands::kNothingToDo);
    EXPECT_NE(alone.out.str().find("D\t0\t\t\t\t\t\r\n"), std::string::npos);
    EXPECT_NE(alone.err.str().find("nothing to compare"), std::string::npos);

    Batch audit;
    audit.files = {{"c", catalogue}};
    EXPECT_EQ(audit.run({"audit", "--data-text", "c", "--by", "D1", "--threshold", "0.5"}),
              BatchCommands::kOk);
    EXPECT_TRUE(audit.out.str().starts_with("threshold\t0.5\tgiven\r\n")) << audit.out.str();
    EXPECT_NE(audit.out.str().find("short\t4\t\t1\r\n"), std::string::npos);
}

TEST(BatchCommands, EvaluateAndAuditRefuseBadArguments) {
    const struct {
        std::vector<std::string> args;
        int code;
        const char* says;
    } cases[] = {
        {{"evaluate", "--data-text", "c", "--individual", "("},
         BatchCommands::kUsage,
         "regular expression"},
        {{"evaluate"}, BatchCommands::kUsage, "one of"},
        {{"evaluate", "--data", "missing"}, BatchCommands::kUnreadable, "cannot read missing"},
        {{"audit", "--data-text", "c", "--by", "D3"}, BatchCommands::kUsage, "--by"},
        {{"audit", "--data-text", "c", "--threshold", "-1"}, BatchCommands::kUsage, "--threshold"},
        {{"audit", "--data-text", "c", "--threshold", "0.1x"},
         BatchCommands::kUsage,
         "--threshold"},
        {{"audit", "--data-text", "c", "--threshold", "1e999"},
         BatchCommands::kUsage,
         "--threshold"},
        {{"audit", "--data-text", "missing"}, BatchCommands::kUnreadable, "cannot read"},
    };
    for (const auto& c : cases) {
        Batch batch;
        batch.files = {{"c", record("x", 0.06, 0.08) + "\r\n"}};
        EXPECT_EQ(batch.run(c.args), c.code) << c.says;
        EXPECT_NE(batch.err.str().find(c.says), std::string::npos) << batch.err.str();
        EXPECT_TRUE(batch.out.str().empty()) << c.says;
    }
}

TEST(BatchCommands, RepeatabilityReportsTheCoresFiguresWithItsMessages) {
    const std::string dataSet = record("T1", 0.06, 0.08) + "\r\n" + record("T2", 0.2, 0.3) +
                                "\r\n" + "cut\t1\r\n" + record("T3", 0.1, 0.1) + "\r\n";
    // Record 3 is cut short; the last line has too few fields.
    const std::string repeats = "1\t" + record("again", 0.061, 0.081) + "\r\n" + "4\t" +
                                record("", 0.1, 0.11) + "\n" + "3\t" + record("", 0.1, 0.11) +
                                "\r\n" + "1\tT1\t0.1\r\n";
    Batch batch;
    batch.files = {{"c", dataSet}, {"r", repeats}, {"who", "ann\r\nbo\r\nann\r\n\r\n"}};
    ASSERT_EQ(batch.run({"repeatability", "--data-text", "c", "--repeats-text", "r",
                         "--operators-text", "who"}),
              BatchCommands::kOk)
        << batch.err.str();
    const Catalogue catalogue = Catalogue::read(dataSet, {});
    std::vector<std::string> problems;
    const std::vector<std::string> who = {"ann", "bo", "ann", ""};
    const auto expected =
        Repeatability::run(catalogue, Repeatability::readRepeats(repeats, problems, &who));
    EXPECT_EQ(batch.out.str(), expected.report());
    EXPECT_TRUE(batch.out.str().starts_with("measured\t2\t4\r\nM1\t")) << batch.out.str();
    EXPECT_NE(batch.out.str().find("\r\noperator\tann\t1\t2\r\n"), std::string::npos);
    EXPECT_NE(batch.out.str().find("\r\noperator\tbo\t1\t2\r\n"), std::string::npos);
    EXPECT_EQ(batch.err.str(),
              "korvex-batch: r: line 4: the repeat has 2 fields, not a code and "
              "28 values, left out\n"
              "korvex-batch: 1 repeats name no record of the data set, left out\n");

    // A data file gives the same data set.
    DataSet set;
    set.setText(dataSet);
    Batch fromTor;
    fromTor.files = {{"k.tor", TorFile::write(MeasurementSheet(), set)}, {"r", repeats}};
    ASSERT_EQ(fromTor.run({"repeatability", "--data", "k.tor", "--repeats-text", "r"}),
              BatchCommands::kOk);
    std::vector<std::string> unnamed;
    EXPECT_EQ(fromTor.out.str(),
              Repeatability::run(catalogue, Repeatability::readRepeats(repeats, unnamed)).report());
}

TEST(BatchCommands, RepeatabilityWithoutARepeatOrWithBadArguments) {
    const std::string dataSet = record("T1", 0.06, 0.08) + "\r\n" + record("T2", 0.2, 0.3) + "\r\n";
    Batch none;
    none.files = {{"c", dataSet}, {"r", "\r\n"}};
    EXPECT_EQ(none.run({"repeatability", "--data-text", "c", "--repeats-text", "r"}),
              BatchCommands::kNothingToDo);
    EXPECT_TRUE(none.out.str().starts_with("measured\t0\t0\r\n"));
    EXPECT_NE(none.err.str().find("no record has a repeat"), std::string::npos);

    const struct {
        std::vector<std::string> args;
        int code;
        const char* says;
    } cases[] = {
        {{"repeatability", "--data-text", "c"}, BatchCommands::kUsage, "--repeats-text"},
        {{"repeatability", "--repeats-text", "r"}, BatchCommands::kUsage, "one of"},
        {{"repeatability", "--data-text", "c", "--repeats-text", "missing"},
         BatchCommands::kUnreadable,
         "cannot read missing"},
        {{"repeatability", "--data-text", "c", "--repeats-text", "r", "--operators-text", "who"},
         BatchCommands::kUsage,
         "who has 2 lines and the repeats 1"},
        {{"repeatability", "--data-text", "c", "--repeats-text", "r2", "--operators-text", "one"},
         BatchCommands::kUsage,
         "one has 1 line and the repeats 2"},
        {{"repeatability", "--data-text", "c", "--repeats-text", "r", "--individual", "("},
         BatchCommands::kUsage,
         "regular expression"},
    };
    for (const auto& c : cases) {
        Batch batch;
        batch.files = {{"c", dataSet},
                       {"r", "1\t" + record("", 0.06, 0.08) + "\r\n"},
                       {"who", "ann\nbo\n"},
                       {"one", "ann\n"}};
        batch.files["r2"] = batch.files["r"] + batch.files["r"];
        EXPECT_EQ(batch.run(c.args), c.code) << c.says;
        EXPECT_NE(batch.err.str().find(c.says), std::string::npos) << batch.err.str();
        EXPECT_TRUE(batch.out.str().empty()) << c.says;
    }
}

} // namespace
} // namespace korvex

namespace korvex {
namespace {

// Output that cannot be written (a full disk) is a failure, not "done".
TEST(BatchCommands, AnUnwritableOutputEndsWithItsOwnStatus) {
    std::ostringstream out;
    std::ostringstream err;
    out.setstate(std::ios::badbit);
    BatchCommands commands(out, err, [](const std::string&, std::string&) {
        return std::optional<std::string>("A\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1\r\n");
    });
    EXPECT_EQ(commands.run({"all-pairs", "--data-text", "d"}), BatchCommands::kUnwritable);
    EXPECT_NE(err.str().find("could not be written"), std::string::npos);
    EXPECT_EQ(commands.run({"distribution", "--seed", "1"}), BatchCommands::kUnwritable);
    EXPECT_EQ(commands.run({"--version"}), BatchCommands::kUnwritable);
}

} // namespace
} // namespace korvex

#include "exchange/PhotoCompanion.h"
#include "exchange/TorFile.h"
#include "model/DataSet.h"
#include "model/MeasurementSheet.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace korvex {
namespace {

// Five records of three animals over two seasons: T1 in both, T2 only in the
// first, T3 only in the second; the fifth record has no date.
struct PopulationBatch : Batch {
    PopulationBatch() {
        const std::string catalogue = record("T1", 0.06, 0.08) + "\r\n" + record("T2", 0.2, 0.3) +
                                      "\r\n" + record("t1-2020", 0.0601, 0.0801) + "\r\n" +
                                      record("T3", 0.12, 0.1) + "\r\n" +
                                      record("T2-b", 0.2001, 0.3) + "\r\n";
        files["c.txt"] = catalogue;
        files["e.txt"] = "1\t2019-06-01\tOak Flat\t36.9478\t-5.315\tA. Moreau\r\n"
                         "2\t2019-06-02\tOak Flat\t36.9480\t-5.3152\tJ. Silva\r\n"
                         "3\t2020-06-01\tDry River\t36.9355\t-5.3208\tA. Moreau\r\n"
                         "4\t2020-06-03\tDry River\r\n"
                         "5\t\tOak Flat\r\n";
        DataSet dataSet;
        dataSet.setText(catalogue);
        files["k.tor"] = TorFile::write(MeasurementSheet(), dataSet);
        PhotoEntry entry;
        entry.recordLine = record("t1-2020", 0.0601, 0.0801);
        entry.photoPath = "/field/photos/IMG_0003.JPG";
        entry.widthPixels = 2400;
        entry.heightPixels = 3000;
        files["k.tor.photos.json"] = PhotoCompanion::write({entry}, "/field");
    }
    std::vector<std::string> args(std::vector<std::string> command) {
        for (const char* a :
             {"--data-text", "c.txt", "--encounters-text", "e.txt", "--individual",
              "^[A-Za-z]+[0-9]+", "--occasions", "2019-05-01..2019-08-31,2020-05-01..2020-08-31"})
            command.push_back(a);
        return command;
    }
};

TEST(BatchCommands, HistoriesInEveryFormat) {
    const struct {
        const char* format;
        const char* out;
    } cases[] = {
        {"mark", "/* t1 */ 11 1;\r\n/* t2 */ 10 1;\r\n/* t3 */ 01 1;\r\n"},
        {"rcapture", "individual,o1,o2\r\nt1,1,1\r\nt2,1,0\r\nt3,0,1\r\n"},
        {"secr", "# Session ID Occasion Detector\r\n1 t1 1 Oak_Flat\r\n1 t1 2 Dry_River\r\n"
                 "1 t2 1 Oak_Flat\r\n1 t3 2 Dry_River\r\n"},
    };
    for (const auto& c : cases) {
        PopulationBatch batch;
        ASSERT_EQ(batch.run(batch.args({"histories", "--format", c.format})), BatchCommands::kOk)
            << batch.err.str();
        EXPECT_EQ(batch.out.str(), c.out) << c.format;
        // The record without a date is counted, not guessed.
        EXPECT_EQ(batch.err.str(), "korvex-batch: 1 record has no date and no occasion\n");
    }

    PopulationBatch secr;
    const auto traps =
        temporaryFolder() / ("korvex-batch-traps-" + std::to_string(::getpid()) + ".txt");
    auto args = secr.args({"histories", "--format", "secr", "--traps", traps.string()});
    ASSERT_EQ(secr.run(args), BatchCommands::kOk) << secr.err.str();
    std::ifstream written(traps, std::ios::binary);
    const std::string trapText((std::istreambuf_iterator<char>(written)), {});
    std::filesystem::remove(traps);
    EXPECT_TRUE(trapText.starts_with("# Detector x y\r\nDry_River 0.00 0.00\r\nOak_Flat "))
        << trapText;
}

TEST(BatchCommands, DarwinCoreNamesThePhotoTheCompanionKeeps) {
    PopulationBatch batch;
    ASSERT_EQ(
        batch.run({"histories", "--format", "dwc", "--data", "k.tor", "--encounters-text", "e.txt",
                   "--species", "Testudo hermanni", "--individual", "^[A-Za-z]+[0-9]+"}),
        BatchCommands::kOk)
        << batch.err.str();
    EXPECT_EQ(batch.err.str(), ""); // the companion was read
    const std::string out = batch.out.str();
    EXPECT_NE(out.find("\r\nk.tor#3,HumanObservation,t1,2020-06-01,Dry River,36.9355,-5.3208,"
                       "WGS84,A. Moreau,IMG_0003.JPG,Testudo hermanni,\r\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\r\nk.tor#5,HumanObservation,t2,,Oak Flat,,,,,,Testudo hermanni,\r\n"),
              std::string::npos)
        << out;
}

TEST(BatchCommands, EstimateWithTheRecognitionRateOfTheSameCatalogue) {
    PopulationBatch measured;
    ASSERT_EQ(measured.run(measured.args({"estimate"})), BatchCommands::kOk) << measured.err.str();
    // M = 2, C = 2, R = 1; both recaptures rank first by D, so p = 1.
    EXPECT_EQ(measured.out.str(), "occasion\t1\tcaught\t2\trecaptured\t0\tmarked-before\t0\r\n"
                                  "occasion\t2\tcaught\t2\trecaptured\t1\tmarked-before\t2\r\n"
                                  "chapman\t3.50\t1.80\t5.20\r\n"
                                  "schnabel\t2.00\r\n"
                                  "recognition\t1.00\r\n"
                                  "chapman-corrected\t3.50\r\n");
    PopulationBatch given;
    auto args = given.args({"estimate", "--recognition", "0.5"});
    ASSERT_EQ(given.run(args), BatchCommands::kOk);
    // R / p = 2: 3*3/3 - 1.
    EXPECT_TRUE(given.out.str().ends_with("recognition\t0.50\r\nchapman-corrected\t2.00\r\n"))
        << given.out.str();

    // In time order T1's second record, dated the day of its first, meets
    // nothing: the reason is that one, not a want of second records.
    PopulationBatch sameDay;
    sameDay.files["e.txt"] = "1\t2019-06-01\r\n2\t2019-06-02\r\n3\t2019-06-01\r\n"
                             "4\t2020-06-03\r\n";
    ASSERT_EQ(sameDay.run(sameDay.args({"estimate", "--in-time-order"})), BatchCommands::kOk)
        << sameDay.err.str();
    EXPECT_NE(sameDay.err.str().find("no animal has a record dated after another of its records"),
              std::string::npos)
        << sameDay.err.str();
    EXPECT_EQ(sameDay.out.str().find("recognition"), std::string::npos) << sameDay.out.str();
}

TEST(BatchCommands, PopulationInputIsCheckedBeforeAnythingIsPrinted) {
    const struct {
        std::vector<std::string> args;
        int code;
        const char* says;
    } cases[] = {
        {{"histories", "--format", "excel"}, BatchCommands::kUsage, "--format mark"},
        {{"histories", "--format", "mark", "--traps", "t"}, BatchCommands::kUsage, "secr"},
        // A trap file that would overwrite an input, however it is spelt.
        {{"histories", "--format", "secr", "--traps", "e.txt"}, BatchCommands::kUsage, "e.txt"},
        {{"histories", "--format", "secr", "--traps", "./sub/../c.txt"},
         BatchCommands::kUsage,
         "input file c.txt"},
        {{"histories", "--format", "secr", "--data", "k.tor", "--traps", "k.tor.photos.json"},
         BatchCommands::kUsage,
         "k.tor.photos.json, which the trap file would overwrite"},
        {{"estimate", "--recognition", "0"}, BatchCommands::kUsage, "above 0"},
        {{"estimate", "--recognition", "1.2"}, BatchCommands::kUsage, "at most 1"},
        {{"estimate", "--occasions", "2019-05-01..2019-08-31"},
         BatchCommands::kNothingToDo,
         "at least two occasions"},
        {{"estimate", "--occasions", "2019-05-01..2019-02-30"},
         BatchCommands::kUsage,
         "does not exist"},
        {{"estimate", "--encounters-text", "bad.txt"},
         BatchCommands::kUsage,
         "bad.txt: line 2: The latitude '91'"},
        {{"estimate", "--encounters-text", "none.txt"},
         BatchCommands::kUnreadable,
         "cannot read none.txt"},
    };
    for (const auto& c : cases) {
        PopulationBatch batch;
        batch.files["bad.txt"] = "1\t2019-06-01\r\n2\t2019-06-01\tX\t91\t10\r\n";
        // Later options win: the case's own come after the common ones.
        auto args = batch.args({c.args[0]});
        args.insert(args.end(), c.args.begin() + 1, c.args.end());
        EXPECT_EQ(batch.run(args), c.code) << c.says;
        EXPECT_NE(batch.err.str().find(c.says), std::string::npos) << batch.err.str();
        EXPECT_TRUE(batch.out.str().empty()) << c.says;
    }
    Batch noEncounters;
    noEncounters.files = {{"c", record("x", 0.06, 0.08) + "\r\n"}};
    EXPECT_EQ(noEncounters.run({"histories", "--format", "mark", "--data-text", "c", "--occasions",
                                "2019-05-01..2019-08-31"}),
              BatchCommands::kUsage);
    EXPECT_NE(noEncounters.err.str().find("--encounters-text"), std::string::npos);
}

TEST(BatchCommands, EvaluateInTimeOrderCountsTheUndatedRecords) {
    PopulationBatch batch;
    ASSERT_EQ(batch.run({"evaluate", "--in-time-order", "--data-text", "c.txt", "--encounters-text",
                         "e.txt", "--individual", "^[A-Za-z]+[0-9]+"}),
              BatchCommands::kOk)
        << batch.err.str();
    // Only t1-2020 meets an own record dated before it; T2-b has no date.
    EXPECT_TRUE(batch.out.str().starts_with("distance\tqueries\ttop1\ttop5\ttop10\ttop20\tmrr\r\n"
                                            "D1\t1\t1.0000\t"))
        << batch.out.str();
    EXPECT_TRUE(batch.out.str().ends_with("skipped\t0\r\nundated\t1\r\n"));
    EXPECT_NE(batch.err.str().find("1 record has no date"), std::string::npos);
}

// A data file's companion holds the repeats and the encounters the text
// options otherwise give: the same figures come out either way.
TEST(BatchCommands, ADataFileGivesTheRepeatsAndEncountersOfItsCompanion) {
    const std::string dataSet = record("T1", 0.06, 0.08) + "\r\n" + record("T2", 0.2, 0.3) +
                                "\r\n" + record("T1", 0.06, 0.08) + "\r\n";
    DataSet set;
    set.setText(dataSet);
    const auto repeatOf = [](std::string line, std::size_t occurrence, std::string values,
                             std::string who) {
        RepeatMeasurement r;
        r.recordLine = std::move(line);
        r.occurrence = occurrence;
        r.values = std::move(values);
        r.operatorName = std::move(who);
        return r;
    };
    const auto seen = [](std::string line, std::size_t occurrence, const char* date,
                         const char* site) {
        RecordEncounter held{std::move(line), occurrence, {}};
        std::string error;
        EXPECT_TRUE(held.encounter.setDateText(date, error)) << error;
        held.encounter.site = site;
        return held;
    };
    const std::string t1 = record("T1", 0.06, 0.08);
    const std::string t2 = record("T2", 0.2, 0.3);
    Batch fromCompanion;
    fromCompanion.files = {
        {"k.tor", TorFile::write(MeasurementSheet(), set)},
        {"k.tor.photos.json",
         PhotoCompanion::write({}, "", {},
                               {repeatOf(t1, 2, record("", 0.061, 0.081), "ann"),
                                repeatOf(t2, 1, record("", 0.21, 0.3), ""),
                                repeatOf("gone", 1, record("", 0.1, 0.1), "bo")},
                               {seen(t1, 1, "2019-06-01", "A"), seen(t2, 1, "2020-06-02", "B"),
                                seen(t1, 2, "2020-06-03", "A"),
                                seen("gone", 1, "2020-06-04", "C")})}};
    Batch fromText;
    fromText.files = {{"c", dataSet},
                      {"r", "3\t" + record("", 0.061, 0.081) + "\n2\t" + record("", 0.21, 0.3)},
                      {"who", "ann\n\n"},
                      {"e", "1\t2019-06-01\tA\n2\t2020-06-02\tB\n3\t2020-06-03\tA\n"}};

    ASSERT_EQ(fromCompanion.run({"repeatability", "--data", "k.tor"}), BatchCommands::kOk)
        << fromCompanion.err.str();
    ASSERT_EQ(fromText.run({"repeatability", "--data-text", "c", "--repeats-text", "r",
                            "--operators-text", "who"}),
              BatchCommands::kOk)
        << fromText.err.str();
    EXPECT_EQ(fromCompanion.out.str(), fromText.out.str());
    EXPECT_NE(fromCompanion.out.str().find("\r\noperator\tann\t1\t2\r\n"), std::string::npos);
    EXPECT_NE(fromCompanion.err.str().find("1 repeats name no record"), std::string::npos);

    for (const char* format : {"mark", "rcapture", "secr"}) {
        fromCompanion.out.str("");
        fromText.out.str("");
        const std::vector<std::string> common = {"histories", "--format", format, "--occasions",
                                                 "2019-01-01..2019-12-31,2020-01-01..2020-12-31"};
        auto viaData = common;
        viaData.insert(viaData.end(), {"--data", "k.tor", "--individual", "^T[0-9]"});
        auto viaText = common;
        viaText.insert(viaText.end(),
                       {"--data-text", "c", "--encounters-text", "e", "--individual", "^T[0-9]"});
        ASSERT_EQ(fromCompanion.run(viaData), BatchCommands::kOk) << fromCompanion.err.str();
        ASSERT_EQ(fromText.run(viaText), BatchCommands::kOk) << fromText.err.str();
        EXPECT_EQ(fromCompanion.out.str(), fromText.out.str()) << format;
        EXPECT_FALSE(fromCompanion.out.str().empty()) << format;
    }
    // The encounter of a record changed or taken out elsewhere is said to be left out.
    EXPECT_NE(fromCompanion.err.str().find("korvex-batch: 1 encounter of the companion names no "
                                           "record of the data set and is left out\n"),
              std::string::npos)
        << fromCompanion.err.str();

    // A data file whose companion keeps no encounters says so.
    Batch bare;
    bare.files = {{"k.tor", TorFile::write(MeasurementSheet(), set)}};
    EXPECT_EQ(bare.run({"histories", "--format", "mark", "--data", "k.tor", "--occasions",
                        "2019-01-01..2019-12-31"}),
              BatchCommands::kUsage);
    EXPECT_NE(bare.err.str().find("keeps no encounters in its companion"), std::string::npos)
        << bare.err.str();
}

} // namespace
} // namespace korvex
