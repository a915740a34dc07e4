#pragma once
// Project evaluation: the choice of a defined project ("Projekte definieren") and the calls of
// that project with two sum lines ("Projektgebührenerfassung"). The evaluation filter does not
// apply; a call belongs to the project that the number lookup gives for its number.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/app/ui.h"
#include "core/data/charge.h"
#include "core/phonebook/lookup.h"

namespace kalmo::eval {

constexpr std::size_t kProjectCount = 10;
// Names of projects 1 to 10 (index project − 1); an empty name: the project is not defined.
using ProjectNames = std::array<std::string, kProjectCount>;

constexpr char kProjectListHeader[] =
    "Tln   Datum    Uhrzeit   Dauer         Amtsrufnummer             Betrag";
// F1: help file topics (full topics, not pop-ups).
constexpr unsigned kProjectSelectHelp = 112;
constexpr unsigned kProjectListHelp = 155;

// Button 1020 + project: the project's name and enabled when it is defined; otherwise disabled
// with the caption of the template ("Projekt  1" ... "Projekt 10").
struct ProjectButton {
    int id = 0;
    bool enabled = false;
    std::string caption;
};
std::array<ProjectButton, kProjectCount> project_buttons(const ProjectNames& names);

// Project number chosen by a button id; nullopt for anything but an enabled project button.
std::optional<std::uint8_t> project_of_button(const ProjectNames& names, int button_id);

struct ProjectEvaluation {
    std::vector<std::string> lines; // list box 1009
    std::string sum_1039, sum_1040;
    // A project without calls: the report shown instead of the list, which then ends.
    std::optional<app::Message> no_data;
};

ProjectEvaluation evaluate_project(const data::ChargeStore& store,
                                   const phonebook::NumberLookup& lookup, const ProjectNames& names,
                                   std::uint8_t project, const app::LocalTime& now);

} // namespace kalmo::eval
