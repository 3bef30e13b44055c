#pragma once

#include "app/ControlSpec.h"

#include <array>

// The design of the main window: every control's kind, container, caption, rectangle, place in
// the tab order and initial settings. Containers come before the controls they hold.
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
    // name       kind                        container  caption               left  top   width height tab
    {"Check1",   ControlKind::CheckBox,      "Form1",   "Możliwa edycja",     4080, 120,  1452, 252,  0, CheckState::Checked},
    {"Command1", ControlKind::CommandButton, "Form1",   "Wybierz czcionkę",   4080, 480,  1812, 372,  1},
    {"Frame1",   ControlKind::Frame,         "Form1",   " Styl czcionki ",    4080, 960,  1812, 1692, 2},
    {"Check2",   ControlKind::CheckBox,      "Frame1",  "Wytłuszczenie",      120,  240,  1500, 252,  3},
    {"Check3",   ControlKind::CheckBox,      "Frame1",  "Kursywa",            120,  600,  1500, 252,  4},
    {"Check4",   ControlKind::CheckBox,      "Frame1",  "Podkreślenie",       120,  960,  1500, 252,  5},
    {"Check5",   ControlKind::CheckBox,      "Frame1",  "Przekreślenie",      120,  1320, 1500, 252,  6},
    {"Text1",    ControlKind::TextBox,       "Form1",   "",                   120,  120,  3852, 6132, 7, CheckState::Unchecked, "Text1", TextAreaName, TextAreaDescription},
    {"Frame2",   ControlKind::Frame,         "Form1",   " Kolor tekstu ",     4080, 2760, 1812, 2052, 8},
    {"Option1",  ControlKind::OptionButton,  "Frame2",  "Domyślny",           120,  240,  1500, 252,  9},
    {"Option2",  ControlKind::OptionButton,  "Frame2",  "Czarny",             120,  600,  1500, 252,  10},
    {"Option3",  ControlKind::OptionButton,  "Frame2",  "Niebieski",          120,  960,  1500, 252,  11},
    {"Option4",  ControlKind::OptionButton,  "Frame2",  "Zielony",            120,  1320, 1500, 252,  12},
    {"Option5",  ControlKind::OptionButton,  "Frame2",  "Czerwony",           120,  1680, 1500, 252,  13},
    {"Command2", ControlKind::CommandButton, "Form1",   "Czytaj",             4080, 4920, 852,  372,  14},
    {"Command3", ControlKind::CommandButton, "Form1",   "Zapisz",             5040, 4920, 852,  372,  15},
    {"Command4", ControlKind::CommandButton, "Form1",   "Zaznacz wszystko",   4080, 5400, 1812, 372,  16},
    {"Command5", ControlKind::CommandButton, "Form1",   "Kopiuj",             4080, 5880, 852,  372,  17},
    {"Command6", ControlKind::CommandButton, "Form1",   "Wklej",              5040, 5880, 852,  372,  18},
}};
// clang-format on

} // namespace Form1Design
