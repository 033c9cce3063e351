#include "analysis/CaptureHistories.h"

#include "model/NumberText.h"
#include "model/TextSplit.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <tuple>
#include <unordered_map>

namespace korvex {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// The mean radius of the earth, metres.
constexpr double kEarthRadius = 6371008.8;

} // namespace

std::optional<std::vector<Occasion>> CaptureHistories::parseOccasions(std::string_view text,
                                                                      std::string& error) {
    std::vector<Occasion> out;
    if (text.empty()) {
        error = "No occasion given: write them as 2019-05-01..2019-08-31,2020-05-01..2020-08-31.";
        return std::nullopt;
    }
    for (const std::string_view range : splitAt(text, ",")) {
        const std::size_t dots = range.find("..");
        if (dots == std::string_view::npos) {
            error = "The occasion '" + std::string(range) +
                    "' is not written as FIRST..LAST (2019-05-01..2019-08-31).";
            return std::nullopt;
        }
        const auto first = CalendarDate::parse(range.substr(0, dots), error);
        if (!first)
            return std::nullopt;
        const auto last = CalendarDate::parse(range.substr(dots + 2), error);
        if (!last)
            return std::nullopt;
        if (*last < *first) {
            error = "The occasion '" + std::string(range) + "' ends before it begins.";
            return std::nullopt;
        }
        if (!out.empty() && !(out.back().last < *first)) {
            error = "The occasion '" + std::string(range) +
                    "' begins before the one before it ends: give occasions in time order, "
                    "without overlap.";
            return std::nullopt;
        }
        out.push_back({*first, *last});
    }
    return out;
}

std::string CaptureHistories::occasionsText(const std::vector<Occasion>& occasions) {
    std::string out;
    for (const Occasion& o : occasions) {
        if (!out.empty())
            out += ',';
        out += o.first.text() + ".." + o.last.text();
    }
    return out;
}

std::vector<Occasion>
CaptureHistories::yearlyOccasions(const std::map<std::size_t, Encounter>& encounters) {
    std::map<int, Occasion> byYear;
    for (const auto& [record, e] : encounters) {
        if (!e.date)
            continue;
        const auto [it, added] = byYear.try_emplace(e.date->year, Occasion{*e.date, *e.date});
        if (!added) {
            it->second.first = std::min(it->second.first, *e.date);
            it->second.last = std::max(it->second.last, *e.date);
        }
    }
    std::vector<Occasion> out;
    for (const auto& [year, o] : byYear)
        out.push_back(o);
    return out;
}

CaptureHistories CaptureHistories::build(const Catalogue& catalogue, const Individuals& reading,
                                         const std::map<std::size_t, Encounter>& encounters,
                                         std::vector<Occasion> occasions) {
    CaptureHistories h;
    h.occasions_ = std::move(occasions);
    const std::size_t occasionCount = h.occasions_.size();

    // Names by catalogue individual; the catalogue numbers them by first record.
    std::vector<std::string> names(catalogue.individualCount);
    std::vector<bool> named(catalogue.individualCount, false);
    std::vector<std::vector<bool>> caught(catalogue.individualCount);
    std::set<std::tuple<std::size_t, std::size_t, std::string>> seen; // individual, occasion, site
    struct SiteSum {
        double latitude = 0.0, longitude = 0.0;
        std::size_t positions = 0;
    };
    std::map<std::string, SiteSum> sites;
    for (const Catalogue::Record& r : catalogue.records) {
        if (!named[r.individual]) {
            names[r.individual] = reading.individualOf(r.code);
            named[r.individual] = true;
            caught[r.individual].assign(occasionCount, false);
        }
        const auto it = encounters.find(r.recordNumber);
        const Encounter* e = it == encounters.end() ? nullptr : &it->second;
        if (e && !e->site.empty()) {
            SiteSum& sum = sites[e->site];
            if (e->hasPosition()) {
                sum.latitude += *e->latitude;
                sum.longitude += *e->longitude;
                ++sum.positions;
            }
        }
        if (!e || !e->date) {
            ++h.undated_;
            continue;
        }
        // Occasions are in time order without overlap: at most one holds the date.
        const auto o = std::partition_point(
            h.occasions_.begin(), h.occasions_.end(),
            [&](const Occasion& occasion) { return occasion.last < *e->date; });
        if (o == h.occasions_.end() || !o->contains(*e->date)) {
            ++h.outside_;
            continue;
        }
        const auto t = static_cast<std::size_t>(o - h.occasions_.begin());
        caught[r.individual][t] = true;
        seen.emplace(r.individual, t, e->site);
    }

    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < caught.size(); ++i)
        if (std::find(caught[i].begin(), caught[i].end(), true) != caught[i].end())
            order.push_back(i);
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return std::tie(names[a], a) < std::tie(names[b], b);
    });
    std::vector<std::size_t> position(caught.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        position[order[k]] = k;
        h.individuals_.push_back({names[order[k]], caught[order[k]]});
    }
    for (auto it = seen.begin(); it != seen.end(); ++it) {
        const auto& [individual, occasion, site] = *it;
        if (site.empty()) {
            // Sorted first among the animal's sites of that occasion: a
            // capture is lost only when none of its records names one.
            const auto next = std::next(it);
            if (next == seen.end() || std::get<0>(*next) != individual ||
                std::get<1>(*next) != occasion)
                ++h.withoutSite_;
            continue;
        }
        h.detections_.push_back({position[individual], occasion, site});
    }
    std::stable_sort(h.detections_.begin(), h.detections_.end(),
                     [](const Detection& a, const Detection& b) {
                         return std::tie(a.individual, a.occasion, a.site) <
                                std::tie(b.individual, b.occasion, b.site);
                     });
    for (const auto& [name, sum] : sites) {
        Site site{name, std::nullopt, std::nullopt};
        if (sum.positions > 0) {
            site.latitude = sum.latitude / static_cast<double>(sum.positions);
            site.longitude = sum.longitude / static_cast<double>(sum.positions);
        }
        h.sites_.push_back(std::move(site));
    }
    return h;
}

std::string CaptureHistories::mark() const {
    std::string out;
    for (const Individual& i : individuals_) {
        // A "*/" inside a name would end MARK's comment early.
        std::string name = i.name;
        for (std::size_t p = name.find("*/"); p != std::string::npos; p = name.find("*/", p))
            name.replace(p, 2, "* /");
        out += "/* " + name + " */ ";
        for (const bool c : i.caught)
            out += c ? '1' : '0';
        out += " 1;";
        out += kLineEnd;
    }
    return out;
}

namespace {

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

} // namespace

std::string CaptureHistories::rcapture() const {
    std::string out = "individual";
    for (std::size_t t = 1; t <= occasions_.size(); ++t)
        out += ",o" + std::to_string(t);
    out += kLineEnd;
    for (const Individual& i : individuals_) {
        out += csvField(i.name);
        for (const bool c : i.caught)
            out += c ? ",1" : ",0";
        out += kLineEnd;
    }
    return out;
}

std::string CaptureHistories::secrName(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '#' || c == '"' || c == '\'')
            c = '_';
    return out.empty() ? std::string("_") : out;
}

std::vector<std::string> CaptureHistories::secrNames(const std::vector<std::string_view>& names) {
    std::vector<std::string> out;
    out.reserve(names.size());
    std::set<std::string> taken;
    for (const std::string_view name : names)
        taken.insert(secrName(name));
    std::set<std::string> given;
    for (const std::string_view name : names) {
        std::string written = secrName(name);
        if (!given.insert(written).second) {
            int n = 2;
            while (taken.count(written + '_' + std::to_string(n)) != 0)
                ++n;
            std::string unique = written + '_' + std::to_string(n);
            taken.insert(unique);
            given.insert(unique);
            written = std::move(unique);
        }
        out.push_back(std::move(written));
    }
    return out;
}

std::vector<std::string> CaptureHistories::secrSiteNames() const {
    std::vector<std::string_view> names;
    for (const Site& s : sites_)
        names.push_back(s.name);
    return secrNames(names);
}

std::string CaptureHistories::secrCaptures() const {
    std::vector<std::string_view> names;
    for (const Individual& i : individuals_)
        names.push_back(i.name);
    const std::vector<std::string> individuals = secrNames(names);
    const std::vector<std::string> siteNames = secrSiteNames();
    std::map<std::string_view, std::string_view> sites;
    for (std::size_t i = 0; i < sites_.size(); ++i)
        sites.emplace(sites_[i].name, siteNames[i]);
    std::string out = "# Session ID Occasion Detector";
    out += kLineEnd;
    for (const Detection& d : detections_) {
        // Every site a detection names is one of sites().
        out += "1 " + individuals[d.individual] + ' ' + std::to_string(d.occasion + 1) + ' ' +
               std::string(sites.at(d.site));
        out += kLineEnd;
    }
    return out;
}

std::string CaptureHistories::secrTraps(std::vector<std::string>& unpositioned) const {
    double minLat = HUGE_VAL, minLon = HUGE_VAL, sumLat = 0.0;
    std::size_t positioned = 0;
    for (const Site& s : sites_) {
        if (!s.latitude || !s.longitude)
            continue;
        minLat = std::min(minLat, *s.latitude);
        minLon = std::min(minLon, *s.longitude);
        sumLat += *s.latitude;
        ++positioned;
    }
    const double radians = std::numbers::pi / 180.0;
    const double cosine =
        positioned == 0 ? 1.0 : std::cos(sumLat / static_cast<double>(positioned) * radians);
    const std::vector<std::string> names = secrSiteNames();
    std::string out = "# Detector x y";
    out += kLineEnd;
    for (std::size_t i = 0; i < sites_.size(); ++i) {
        const Site& s = sites_[i];
        if (!s.latitude || !s.longitude) {
            unpositioned.push_back(s.name);
            continue;
        }
        const double x = (*s.longitude - minLon) * radians * kEarthRadius * cosine;
        const double y = (*s.latitude - minLat) * radians * kEarthRadius;
        out += names[i] + ' ' + fixedText(x, 2) + ' ' + fixedText(y, 2);
        out += kLineEnd;
    }
    return out;
}

std::string CaptureHistories::darwinCore(const Catalogue& catalogue, const Individuals& reading,
                                         const std::map<std::size_t, Encounter>& encounters,
                                         std::string_view dataFileName, std::string_view species,
                                         const std::map<std::size_t, std::string>& photoNames) {
    std::string out = "occurrenceID,basisOfRecord,organismID,eventDate,locality,decimalLatitude,"
                      "decimalLongitude,geodeticDatum,recordedBy,associatedMedia,scientificName,"
                      "occurrenceRemarks";
    out += kLineEnd;
    const Encounter none;
    for (const Catalogue::Record& r : catalogue.records) {
        const auto it = encounters.find(r.recordNumber);
        const Encounter& e = it == encounters.end() ? none : it->second;
        const auto photo = photoNames.find(r.recordNumber);
        const std::string fields[] = {std::string(dataFileName) + "#" +
                                          std::to_string(r.recordNumber),
                                      "HumanObservation",
                                      reading.individualOf(r.code),
                                      e.dateText(),
                                      e.site,
                                      Encounter::degreesText(e.latitude),
                                      Encounter::degreesText(e.longitude),
                                      e.hasPosition() ? "WGS84" : "",
                                      e.observer,
                                      photo == photoNames.end() ? std::string() : photo->second,
                                      std::string(species),
                                      e.note};
        bool first = true;
        for (const std::string& f : fields) {
            if (!first)
                out += ',';
            first = false;
            out += csvField(f);
        }
        out += kLineEnd;
    }
    return out;
}

} // namespace korvex
