#include "analysis/CaptureHistories.h"

#include <gtest/gtest.h>

#include <string>

using namespace korvex;

namespace {

std::string recordLine(const std::string& code) {
    std::string line = code;
    for (int k = 0; k < 28; ++k)
        line += "\t0.1";
    return line + "\r\n";
}

Encounter at(const char* date, const char* site = "", std::optional<double> lat = {},
             std::optional<double> lon = {}) {
    Encounter e;
    std::string error;
    EXPECT_TRUE(e.setDateText(date, error)) << error;
    e.site = site;
    e.latitude = lat;
    e.longitude = lon;
    return e;
}

TEST(CaptureHistories, OccasionsAreInclusiveRangesInTimeOrder) {
    const struct {
        const char* text;
        std::size_t count; // 0: refused
        const char* says;
    } cases[] = {
        {"2019-05-01..2019-08-31,2020-05-01..2020-08-31", 2, ""},
        {"2019-05-01..2019-05-01", 1, ""},
        {"2019-05-01..2019-04-30", 0, "ends before it begins"},
        {"2019-05-01..2019-08-31,2019-08-31..2019-09-30", 0, "in time order"},
        {"2020-05-01..2020-08-31,2019-05-01..2019-08-31", 0, "in time order"},
        {"2019-05-01-2019-08-31", 0, "FIRST..LAST"},
        {"2019-05-01..2019-02-30", 0, "does not exist"},
        {"2019-05-01..2019-08-31,", 0, "FIRST..LAST"},
        {"", 0, "No occasion"},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto occasions = CaptureHistories::parseOccasions(c.text, error);
        EXPECT_EQ(occasions ? occasions->size() : 0u, c.count) << c.text;
        if (occasions)
            EXPECT_EQ(CaptureHistories::occasionsText(*occasions), c.text);
        else
            EXPECT_NE(error.find(c.says), std::string::npos) << c.text << ": " << error;
    }
}

TEST(CaptureHistories, YearlyOccasionsSpanEachYearsDates) {
    const std::map<std::size_t, Encounter> encounters = {
        {1, at("2021-06-03")}, {2, at("2019-07-30")}, {3, at("2019-05-02")}, {4, Encounter()}};
    const auto occasions = CaptureHistories::yearlyOccasions(encounters);
    EXPECT_EQ(CaptureHistories::occasionsText(occasions),
              "2019-05-02..2019-07-30,2021-06-03..2021-06-03");
}

// Nine records: "a" (codes A and a) on every occasion, b on the first and the
// last, c on the last without a site, D undated, E dated between occasions.
struct Fixture {
    std::string text = recordLine("B") + recordLine("a") + recordLine("A") + recordLine("C") +
                       recordLine("D") + recordLine("E") + recordLine("B") + recordLine(" A ") +
                       recordLine("short").substr(0, 10) + "\r\n";
    Catalogue catalogue = Catalogue::read(text, Individuals());
    std::map<std::size_t, Encounter> encounters = {
        {1, at("2019-06-01", "Oak Flat", 36.9478, -5.3150)},
        {2, at("2019-07-01T08:00", "Dry River", 36.9355, -5.3208)},
        {3, at("2020-05-01", "Dry River", 36.9365, -5.3208)},
        {4, at("2021-08-31")},
        {6, at("2019-09-15", "North, Ridge")},
        {7, at("2021-06-01", "Oak Flat")},
        {8, at("2021-05-02", "North Ridge", 36.9412, -5.3321)},
    };
    std::vector<Occasion> occasions = *[] {
        std::string error;
        return CaptureHistories::parseOccasions(
            "2019-05-01..2019-08-31,2020-05-01..2020-08-31,2021-05-01..2021-08-31", error);
    }();
    CaptureHistories h = CaptureHistories::build(catalogue, Individuals(), encounters, occasions);
};

TEST(CaptureHistories, AnIndividualIsCaughtWhenOneOfItsRecordsIsDatedInTheOccasion) {
    const Fixture f;
    EXPECT_EQ(f.h.undated(), 1u); // D
    EXPECT_EQ(f.h.outside(), 1u); // E
    EXPECT_EQ(f.h.mark(), "/* a */ 111 1;\r\n/* b */ 101 1;\r\n/* c */ 001 1;\r\n");
    EXPECT_EQ(f.h.rcapture(), "individual,o1,o2,o3\r\na,1,1,1\r\nb,1,0,1\r\nc,0,0,1\r\n");
    EXPECT_EQ(f.h.secrCaptures(), "# Session ID Occasion Detector\r\n"
                                  "1 a 1 Dry_River\r\n"
                                  "1 a 2 Dry_River\r\n"
                                  "1 a 3 North_Ridge\r\n"
                                  "1 b 1 Oak_Flat\r\n"
                                  "1 b 3 Oak_Flat\r\n");
    EXPECT_EQ(f.h.withoutSite(), 1u); // c
}

TEST(CaptureHistories, TrapsLieInMetresFromTheSouthWestCornerAtTheMeanPositions) {
    const Fixture f;
    std::vector<std::string> unpositioned;
    const std::string traps = f.h.secrTraps(unpositioned);
    // Dry River at the mean of its two positions, 36.936; the corner is
    // (36.936, -5.3321). One degree of latitude is 111195 m of the mean
    // radius; a degree of longitude that times the cosine of the mean latitude.
    EXPECT_EQ(traps, "# Detector x y\r\n"
                     "Dry_River 1004.26 0.00\r\n"
                     "North_Ridge 0.00 578.21\r\n"
                     "Oak_Flat 1519.72 1312.10\r\n");
    EXPECT_EQ(unpositioned, std::vector<std::string>{"North, Ridge"});
}

TEST(CaptureHistories, DarwinCoreHasOneQuotedRowPerRecord) {
    const Fixture f;
    const std::string dwc =
        CaptureHistories::darwinCore(f.catalogue, Individuals(), f.encounters, "field.tor",
                                     "Testudo graeca", {{2, "IMG_0002.JPG"}});
    std::vector<std::string> rows;
    for (std::size_t start = 0; start < dwc.size();) {
        const std::size_t end = dwc.find("\r\n", start);
        rows.push_back(dwc.substr(start, end - start));
        start = end + 2;
    }
    ASSERT_EQ(rows.size(), 9u); // the header and the eight records; the short line is none
    EXPECT_EQ(rows[0], "occurrenceID,basisOfRecord,organismID,eventDate,locality,decimalLatitude,"
                       "decimalLongitude,geodeticDatum,recordedBy,associatedMedia,scientificName,"
                       "occurrenceRemarks");
    EXPECT_EQ(rows[2], "field.tor#2,HumanObservation,a,2019-07-01T08:00,Dry River,36.9355,"
                       "-5.3208,WGS84,,IMG_0002.JPG,Testudo graeca,");
    EXPECT_EQ(rows[5], "field.tor#5,HumanObservation,d,,,,,,,,Testudo graeca,");
    EXPECT_EQ(rows[6], "field.tor#6,HumanObservation,e,2019-09-15,\"North, Ridge\",,,,,,"
                       "Testudo graeca,");
}

TEST(CaptureHistories, NamesStayWholeInEveryFormat) {
    const std::string text = recordLine("T 1*/x") + recordLine("q\"r,s");
    const Catalogue catalogue = Catalogue::read(text, Individuals());
    const std::map<std::size_t, Encounter> encounters = {{1, at("2019-05-01", "Big Oak")},
                                                         {2, at("2019-05-01", "Big Oak")}};
    const auto h =
        CaptureHistories::build(catalogue, Individuals(), encounters,
                                {{CalendarDate{2019, 1, 1}, CalendarDate{2019, 12, 31}}});
    EXPECT_EQ(h.mark(), "/* q\"r,s */ 1 1;\r\n/* t 1* /x */ 1 1;\r\n");
    EXPECT_EQ(h.rcapture(), "individual,o1\r\n\"q\"\"r,s\",1\r\nt 1*/x,1\r\n");
    EXPECT_EQ(h.secrCaptures(),
              "# Session ID Occasion Detector\r\n1 q_r,s 1 Big_Oak\r\n1 t_1*/x 1 Big_Oak\r\n");
}

TEST(CaptureHistories, ACaptureLacksASiteOnlyWhenNoneOfItsRecordsNamesOne) {
    const std::string text = recordLine("A") + recordLine("A") + recordLine("B");
    const auto h = CaptureHistories::build(
        Catalogue::read(text, Individuals()), Individuals(),
        {{1, at("2019-05-01")}, {2, at("2019-05-02", "Oak")}, {3, at("2019-05-01")}},
        {{CalendarDate{2019, 1, 1}, CalendarDate{2019, 12, 31}}});
    EXPECT_EQ(h.secrCaptures(), "# Session ID Occasion Detector\r\n1 a 1 Oak\r\n");
    EXPECT_EQ(h.withoutSite(), 1u) << "b's capture only";
}

TEST(CaptureHistories, NamesSecrWouldWriteAlikeStayApartInBothFiles) {
    const std::string text = recordLine("T 1") + recordLine("T_1") + recordLine("T_1_2");
    const Encounter oak = at("2019-05-01", "Big Oak", 36.9, -5.3);
    const Encounter oak2 = at("2019-05-01", "Big_Oak", 36.9, -5.2);
    const auto h = CaptureHistories::build(
        Catalogue::read(text, Individuals()), Individuals(), {{1, oak}, {2, oak2}, {3, oak}},
        {{CalendarDate{2019, 1, 1}, CalendarDate{2019, 12, 31}}});
    EXPECT_EQ(h.secrCaptures(), "# Session ID Occasion Detector\r\n"
                                "1 t_1 1 Big_Oak\r\n"
                                "1 t_1_3 1 Big_Oak_2\r\n"
                                "1 t_1_2 1 Big_Oak\r\n");
    EXPECT_EQ(h.withoutSite(), 0u);
    std::vector<std::string> unpositioned;
    const std::string traps = h.secrTraps(unpositioned);
    EXPECT_EQ(traps.substr(0, traps.find(' ', traps.find("\r\n"))), "# Detector x y\r\nBig_Oak");
    EXPECT_NE(traps.find("\r\nBig_Oak_2 "), std::string::npos) << traps;
}

} // namespace
