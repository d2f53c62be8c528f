#pragma once
// The lessons a user can choose from: every ".dsc" file of the lessons folder, with its
// title in the current language, sorted by title without regard to case (titles that
// differ only in case keep their folder order). A file that cannot be read is left out
// instead of costing the user the whole list.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "demo/VxDemoScript.h"

struct TVxDemoLesson {
    std::filesystem::path File;
    std::string Title;   // UTF-8
    std::string Image;   // the "Info" value "Image": a picture in the lessons folder
    std::unique_ptr<TVxDemoScript> Script;
};

// Looks up the program's string for a title written as "&" and a number.
using TVxDemoStringLookup = std::function<std::string(std::int32_t id)>;

std::vector<TVxDemoLesson> LoadDemoLessons(const std::filesystem::path& folder, const TVxDemoLanguageContext& language,
                                           const TVxDemoStringLookup& strings);
void SortDemoLessons(std::vector<TVxDemoLesson>& lessons);
// Compares UTF-8 titles with Latin and Cyrillic letters folded to one case.
bool DemoTitleLess(const std::string& a, const std::string& b);
// The item to preselect: the remembered index clamped to the list; -1 for an empty list.
int PreselectedDemoLesson(int lastLesson, int count);
// A title that begins with "&" is the program's string with the number that follows.
std::string ResolveDemoTitle(const std::string& title, const TVxDemoStringLookup& strings);
