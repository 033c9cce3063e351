#pragma once

#include "analysis/Catalogue.h"
#include "analysis/Individuals.h"
#include "model/Encounter.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// A sampling occasion: every day from `first` to `last`, both included.
struct Occasion {
    CalendarDate first;
    CalendarDate last;
    bool contains(const CalendarDate& date) const { return first <= date && date <= last; }
    bool operator==(const Occasion&) const = default;
};

// Which individuals were caught on which occasion, from the records of a
// catalogue and their encounters. An individual is caught on an occasion when
// at least one of its records has a date in it; a record without a date is
// counted in `undated` and in no occasion.
class CaptureHistories {
public:
    struct Individual {
        std::string name;         // as Individuals::individualOf reads its codes
        std::vector<bool> caught; // one per occasion
    };
    // One individual seen at one site on one occasion (each such triple once).
    struct Detection {
        std::size_t individual = 0; // into individuals()
        std::size_t occasion = 0;   // from 0
        std::string site;
    };
    // A site of the records, with the mean of the positions given for it.
    struct Site {
        std::string name;
        std::optional<double> latitude;
        std::optional<double> longitude;
    };

    // "2019-05-01..2019-08-31,2020-05-01..2020-08-31": inclusive ranges in
    // time order that do not overlap. Nothing for any other text, with a
    // message in `error`.
    static std::optional<std::vector<Occasion>> parseOccasions(std::string_view text,
                                                               std::string& error);
    // The text parseOccasions reads back.
    static std::string occasionsText(const std::vector<Occasion>& occasions);
    // One occasion per calendar year present among the dates, the year's
    // first to last date seen, in time order: a proposal to edit.
    static std::vector<Occasion>
    yearlyOccasions(const std::map<std::size_t, Encounter>& encounters);

    // `encounters` by record number; records without one have no date.
    static CaptureHistories build(const Catalogue& catalogue, const Individuals& reading,
                                  const std::map<std::size_t, Encounter>& encounters,
                                  std::vector<Occasion> occasions);

    const std::vector<Occasion>& occasions() const { return occasions_; }
    // The individuals caught at least once, in the order of their (folded) names.
    const std::vector<Individual>& individuals() const { return individuals_; }
    // In the order of individuals(), then occasion, then site.
    const std::vector<Detection>& detections() const { return detections_; }
    // Every site named by a record of the catalogue, by name.
    const std::vector<Site>& sites() const { return sites_; }
    std::size_t undated() const { return undated_; }
    // Records with a date in no occasion.
    std::size_t outside() const { return outside_; }
    // Captures (an individual on an occasion) missing from the secr capture
    // file because none of the individual's records of that occasion names a site.
    std::size_t withoutSite() const { return withoutSite_; }

    // All texts end every line with CR LF.
    // Program MARK input: "/* NAME */ 0101 1;" per individual.
    std::string mark() const;
    // Rcapture: "individual,o1,o2,..." then one 0/1 row per individual (RFC 4180).
    std::string rcapture() const;
    // secr capture file, "Session ID Occasion Detector", one detection per
    // line, session 1, occasions from 1, the site as detector. Blanks in
    // names become '_' so that each line stays four fields; two individuals
    // or sites that would then be written alike ("T 1" and "T_1") are told
    // apart, the later one by "_2", "_3", ..., rather than made one.
    std::string secrCaptures() const;
    // secr trap file, "Detector x y": each site with a position, in metres
    // east and north of the south-west corner of the sites (an equirectangular
    // projection at their mean latitude, good over a study area of some
    // kilometres). `unpositioned` receives the sites left out for want of one.
    std::string secrTraps(std::vector<std::string>& unpositioned) const;

    // A Darwin Core occurrence table (RFC 4180, UTF-8), one row per record
    // of the catalogue in record order: occurrenceID is `dataFileName`#record
    // number, organismID the individual, eventDate ISO 8601, positions WGS84,
    // associatedMedia the photo file name from `photoNames` (by record
    // number), scientificName `species` as given.
    static std::string darwinCore(const Catalogue& catalogue, const Individuals& reading,
                                  const std::map<std::size_t, Encounter>& encounters,
                                  std::string_view dataFileName, std::string_view species,
                                  const std::map<std::size_t, std::string>& photoNames);

    // The name secr files give a site or an individual.
    static std::string secrName(std::string_view name);

private:
    // secrName of each of `names` (distinct), made unique as secrCaptures says.
    static std::vector<std::string> secrNames(const std::vector<std::string_view>& names);
    // Those of sites(), the same in the capture and the trap file.
    std::vector<std::string> secrSiteNames() const;

    std::vector<Occasion> occasions_;
    std::vector<Individual> individuals_;
    std::vector<Detection> detections_;
    std::vector<Site> sites_;
    std::size_t undated_ = 0;
    std::size_t outside_ = 0;
    std::size_t withoutSite_ = 0;
};

} // namespace korvex
