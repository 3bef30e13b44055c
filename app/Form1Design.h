// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ControlSpec.h"
#include "app/Form1.h"

#include <array>

// The design of the main window: every control's member, kind (the member's type), container,
// caption, rectangle, place in the tab order and initial settings. Frames come before the
// controls they hold.
namespace Form1Design {

inline constexpr WindowSpec Window{
    "Form1", 6012, 6336, "Notatki, edytor notatek",
    "Edytor notatek: wczytuje plik notes.txt i zapisuje plik notes3.txt w bieżącym folderze, "
    "zmienia styl i czcionkę tekstu, kopiuje i wkleja przez schowek."};

// What assistive technology hears of the text area, which has no caption of its own.
inline constexpr char TextAreaName[] = "Notatki";
inline constexpr char TextAreaDescription[]
    = "Tekst notatek. Przycisk „Czytaj” wczytuje go z pliku notes.txt, "
      "przycisk „Zapisz” zapisuje go do pliku notes3.txt.";

// clang-format off
inline constexpr std::array<ControlSpec, 19> Controls{{
    // member          name        container       caption              left  top   width height tab
    {&Form1::Check1,   "Check1",   {},             "Możliwa edycja",    4080, 120,  1452, 252,  0, CheckState::Checked},
    {&Form1::Command1, "Command1", {},             "Wybierz czcionkę",  4080, 480,  1812, 372,  1},
    {&Form1::Frame1,   "Frame1",   {},             " Styl czcionki ",   4080, 960,  1812, 1692, 2},
    {&Form1::Check2,   "Check2",   &Form1::Frame1, "Wytłuszczenie",     120,  240,  1500, 252,  3},
    {&Form1::Check3,   "Check3",   &Form1::Frame1, "Kursywa",           120,  600,  1500, 252,  4},
    {&Form1::Check4,   "Check4",   &Form1::Frame1, "Podkreślenie",      120,  960,  1500, 252,  5},
    {&Form1::Check5,   "Check5",   &Form1::Frame1, "Przekreślenie",     120,  1320, 1500, 252,  6},
    {&Form1::Text1,    "Text1",    {},             "",                  120,  120,  3852, 6132, 7, CheckState::Unchecked, "Text1", TextAreaName, TextAreaDescription},
    {&Form1::Frame2,   "Frame2",   {},             " Kolor tekstu ",    4080, 2760, 1812, 2052, 8},
    {&Form1::Option1,  "Option1",  &Form1::Frame2, "Domyślny",          120,  240,  1500, 252,  9},
    {&Form1::Option2,  "Option2",  &Form1::Frame2, "Czarny",            120,  600,  1500, 252,  10},
    {&Form1::Option3,  "Option3",  &Form1::Frame2, "Niebieski",         120,  960,  1500, 252,  11},
    {&Form1::Option4,  "Option4",  &Form1::Frame2, "Zielony",           120,  1320, 1500, 252,  12},
    {&Form1::Option5,  "Option5",  &Form1::Frame2, "Czerwony",          120,  1680, 1500, 252,  13},
    {&Form1::Command2, "Command2", {},             "Czytaj",            4080, 4920, 852,  372,  14},
    {&Form1::Command3, "Command3", {},             "Zapisz",            5040, 4920, 852,  372,  15},
    {&Form1::Command4, "Command4", {},             "Zaznacz wszystko",  4080, 5400, 1812, 372,  16},
    {&Form1::Command5, "Command5", {},             "Kopiuj",            4080, 5880, 852,  372,  17},
    {&Form1::Command6, "Command6", {},             "Wklej",             5040, 5880, 852,  372,  18},
}};
// clang-format on

static_assert(framesComeFirst(Controls));

} // namespace Form1Design
