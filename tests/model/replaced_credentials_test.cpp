// A proxy credential a website save replaced is let go of only once that save is on the disk; one a
// failed save replaced waits for the next save that gets there.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/replaced_credentials.hpp"

namespace quenlith {
namespace {

// Steps, one letter each followed by its argument: "b1" begins save 1, "rA" names A replaced, "o1"
// and "f1" tell save 1 written or failed, "d1" drops its report untold (a restore of the backup).
std::vector<std::string> letGoAfter(const std::vector<std::string>& steps) {
    std::vector<std::string> letGo;
    ReplacedCredentials credentials([&](const std::string& id) { letGo.push_back(id); });
    std::map<std::string, WebAppStore::WriteReport> reports;
    for (const std::string& step : steps) {
        const std::string argument = step.substr(1);
        switch (step[0]) {
            case 'b': reports[argument] = credentials.beginSave(); break;
            case 'r': credentials.replaced(argument); break;
            case 'o': reports.at(argument)(std::nullopt), reports.erase(argument); break;
            case 'f': reports.at(argument)(std::string("disk full")), reports.erase(argument); break;
            case 'd': reports.erase(argument); break;
        }
    }
    return letGo;
}

TEST(ReplacedCredentials, GoOnlyOnceTheSaveThatReplacedThemIsOnTheDisk) {
    using Ids = std::vector<std::string>;
    const struct {
        const char* name;
        std::vector<std::string> steps;
        Ids letGo;
    } cases[] = {
        {"no save in flight: at once", {"rA"}, {"A"}},
        {"waits for its save's write", {"b1", "rA"}, {}},
        {"written: let go of", {"b1", "rA", "o1"}, {"A"}},
        {"failed: kept for the record taken back", {"b1", "rA", "f1"}, {}},
        {"failed, then the next save is written", {"b1", "rA", "f1", "b2", "o2"}, {"A"}},
        {"failed, then the next save fails too", {"b1", "rA", "f1", "b2", "f2"}, {}},
        {"failed twice, then written", {"b1", "rA", "f1", "b2", "rB", "f2", "b3", "o3"}, {"A", "B"}},
        // The editor that came back saves the record taken back, which names it again.
        {"failed, then replaced again by the save written: once", {"b1", "rA", "f1", "b2", "rA", "o2"}, {"A"}},
        {"failed twice on the same one, then written: once",
         {"b1", "rA", "f1", "b2", "rA", "f2", "b3", "rA", "o3"},
         {"A"}},
        {"failed, then one replaced with nothing in flight", {"b1", "rA", "f1", "rB"}, {"B"}},
        {"told at once before it was named", {"b1", "o1", "rA"}, {"A"}},
        {"a dropped report leaves later ones to go at once", {"b1", "d1", "rA"}, {"A"}},
        {"each save waits for its own write", {"b1", "rA", "b2", "rB", "o2"}, {"B"}},
        {"and the earlier one follows", {"b1", "rA", "b2", "rB", "o2", "o1"}, {"B", "A"}},
    };
    for (const auto& row : cases) EXPECT_EQ(letGoAfter(row.steps), row.letGo) << row.name;
}

TEST(ReplacedCredentials, TheOwnersReportIsToldAfterAndOutlivesIt) {
    std::vector<std::string> told;
    auto credentials =
        std::make_unique<ReplacedCredentials>([&](const std::string& id) { told.push_back(id); });
    auto report = credentials->beginSave([&](const std::optional<std::string>& failure) {
        told.push_back(failure.value_or("written"));
        return failure.has_value();
    });
    credentials->replaced("A");
    EXPECT_FALSE(report(std::nullopt));
    EXPECT_EQ(told, (std::vector<std::string>{"A", "written"}));

    report = credentials->beginSave([&](const std::optional<std::string>& failure) {
        told.push_back(failure.value_or("written"));
        return true;
    });
    credentials->replaced("B");
    credentials.reset();
    EXPECT_TRUE(report(std::string("disk full"))) << "the owner's answer is passed on";
    // Without an owner's report nobody told the person: the store's own alert must.
    ReplacedCredentials alone([](const std::string&) {});
    EXPECT_FALSE(alone.beginSave()(std::string("disk full")));
    EXPECT_EQ(told, (std::vector<std::string>{"A", "written", "disk full"}));
}

}  // namespace
}  // namespace quenlith
