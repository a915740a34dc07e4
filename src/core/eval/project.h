#pragma once
// Project evaluation: the choice of a defined project ("Projekte definieren") and the calls of
// that project with two sum lines ("Projektgebührenerfassung"). The evaluation filter does not
// apply; a call belongs to the project that the number lookup gives for its number.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/eval/cells.h"
#include "core/app/currency.h"
#include "core/app/ui.h"
#include "core/data/charge.h"
#include "core/phonebook/lookup.h"

namespace kalmo::eval {

constexpr std::size_t kProjectCount = 10;
// Names of projects 1 to 10 (index project − 1); an empty name: the project is not defined.
using ProjectNames = std::array<std::string, kProjectCount>;

constexpr char kProjectListHeader[] =
    "Tln   Datum    Uhrzeit   Dauer         Amtsrufnummer             Betrag";

// The button of each project, projects 1 to 10 in order: the project's name and enabled when it
// is defined; otherwise disabled with the caption of the template ("Projekt  1" ... "Projekt 10").
struct ProjectButton {
    bool enabled = false;
    std::string caption;
};
std::array<ProjectButton, kProjectCount> project_buttons(const ProjectNames& names);

// The project a choice of project number `project` evaluates; nullopt for a number outside 1 to
// 10 or a project that is not defined (its button is disabled).
std::optional<std::uint8_t> chosen_project(const ProjectNames& names, int project);

struct ProjectEvaluation {
    std::vector<std::string> lines;
    // The two lines of the "Statistik" group: the period, then the count and the amount.
    std::string summary_first_line, summary_second_line;
    // A project without calls: the report shown instead of the list, which then ends.
    std::optional<app::Message> no_data;
};

ProjectEvaluation evaluate_project(const data::ChargeStore& store,
                                   const phonebook::NumberLookup& lookup, const ProjectNames& names,
                                   std::uint8_t project, const app::LocalTime& now,
                                   app::Currency currency = app::Currency::DM,
                                   NumberPrivacy privacy = {});

} // namespace kalmo::eval
