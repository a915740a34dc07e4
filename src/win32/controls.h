#pragma once
// The one place where controls turn into what they mean to the core: the phonebook editor's
// sort buttons into sort keys, the project choice's buttons and the project names editor's
// fields into project numbers 1 to 10, and back.
#include <array>
#include <cstddef>
#include <optional>

#include "resource.h"
#include "core/eval/project.h"
#include "core/phonebook/phonebook.h"

namespace kalmo::win32 {

struct SortButton {
    int id;
    phonebook::SortKey key;
};
inline constexpr SortButton kSortButtons[] = {
    {IDC_PB_SORT_NAME, phonebook::kSortByName},
    {IDC_PB_SORT_NUMBER, phonebook::kSortByNumber},
    {IDC_PB_SORT_AREA_CODE, phonebook::kSortByAreaCode},
    {IDC_PB_SORT_COUNTRY_CODE, phonebook::kSortByCountryCode},
    {IDC_PB_SORT_PROJECT, phonebook::kSortByProject},
};

// Per project, in project order (index project − 1).
static_assert(eval::kProjectCount == phonebook::kProjectCount);
using ProjectControls = std::array<int, eval::kProjectCount>;
inline constexpr ProjectControls kProjectButtons = {
    IDC_PROJECT_BUTTON_1, IDC_PROJECT_BUTTON_2, IDC_PROJECT_BUTTON_3, IDC_PROJECT_BUTTON_4,
    IDC_PROJECT_BUTTON_5, IDC_PROJECT_BUTTON_6, IDC_PROJECT_BUTTON_7, IDC_PROJECT_BUTTON_8,
    IDC_PROJECT_BUTTON_9, IDC_PROJECT_BUTTON_10};
inline constexpr ProjectControls kProjectNameFields = {
    IDC_PROJECT_NAME_1, IDC_PROJECT_NAME_2, IDC_PROJECT_NAME_3, IDC_PROJECT_NAME_4,
    IDC_PROJECT_NAME_5, IDC_PROJECT_NAME_6, IDC_PROJECT_NAME_7, IDC_PROJECT_NAME_8,
    IDC_PROJECT_NAME_9, IDC_PROJECT_NAME_10};

constexpr std::optional<phonebook::SortKey> sort_key_of(int control) {
    for (const SortButton& b : kSortButtons)
        if (b.id == control) return b.key;
    return std::nullopt;
}

// The control of project `project` (1 to 10).
constexpr int project_control(const ProjectControls& controls, std::size_t project) {
    return controls[project - 1];
}

// The project number of a control; nothing for a control that belongs to no project.
constexpr std::optional<int> project_of(const ProjectControls& controls, int control) {
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (controls[i] == control) return static_cast<int>(i + 1);
    return std::nullopt;
}

} // namespace kalmo::win32
