#pragma once

#include "core/Effects.h"
#include "resources/EffectTexts.h"

#include <QChar>

#include <array>
#include <span>

// The display effects, each declared once. The window builds its commands, format-menu entries
// and tool buttons from this list in its order, and the work-file pass runs the entry's byte
// rule; adding an effect means one entry here, its byte rule in core/Effects and its test.

// Each kind keeps the character it is known by.
enum class EffectKind : char {
    NoLineBreaks = 'C',
    NoBlanks = 'S',
    NoTags = 'T',
    SkipHeader = 'F',
    Numbering = 'N',
    // Aozora Bunko's notation shown as a book: not a byte rule but a way of showing the decoded
    // text, last after the listed effects, with its own command (core/Aozora).
    Aozora = 'Z',
};

// What clearing the effects does with the shown text.
enum class EffectClearing : char {
    Restore = 'D', // the unprocessed text comes back
    Discard = 'N', // the shown text stays; the unprocessed one is forgotten
};

// How an effect's output lines map back to positions of its input, so that a reading place taken
// in the shown text can be kept in terms of the file's own text.
enum class EffectPlaces : char {
    KeepsLines,      // every line stays on its number; dropped blanks shift a column a little
    PrefixesLines,   // every line keeps its number behind a number prefix
    DropsFirstLines, // whole lines go from the start; the rest keep their order
    JoinsLines,      // one line: a position counts the characters before it, breaks left out
    CannotSay,       // breaks inside a tag go with it: only the share of the text is known
};

// A note shown before the effect runs while another effect is on (the effect runs anyway).
struct EffectNote {
    EffectKind whileOn;
    const char16_t *text; // null: no note
};

struct Effect {
    EffectKind kind;
    const char *command;   // the action's object name
    const char16_t *caption;
    const char *key;
    const char *menuEntry; // the format menu entry's object name
    const char *button;    // the tool button's object name
    const char16_t *glyph; // the tool button's picture, drawn from these characters
    bool boldGlyph;
    const char16_t *hint;
    bool startsGroup;      // a separator comes before it in the menu and the tool bar
    // Checked in order; the first whose effect is on is shown.
    std::array<EffectNote, 2> notes;
    // The text has no line breaks left, so the view wraps at its edge.
    bool wrapsAtEdge;
    const Effects::ByteRule *rule;
    EffectPlaces places;
};

inline constexpr std::array<Effect, 5> kEffects{{
    {EffectKind::NoLineBreaks, "ActionNoCRLF", EffectTexts::kNoCRLF, "Ctrl+J", "StyleNoCRLF", "ToolButton12", u"¶", true,
     EffectTexts::kHintNoCRLF, false, {}, true, &Effects::cutBreaks, EffectPlaces::JoinsLines},
    {EffectKind::NoBlanks, "ActionNoSpace", EffectTexts::kNoSpace, "Ctrl+K", "StyleNoSpace", "ToolButton13", u"␣", false,
     EffectTexts::kHintNoSpace, false, {}, false, &Effects::cutSpaces, EffectPlaces::KeepsLines},
    {EffectKind::NoTags, "ActionNoHtmlTag", EffectTexts::kNoHtmlTag, "Ctrl+H", "StyleTag", "ToolButton14", u"<>", true,
     EffectTexts::kHintNoTag, false, {}, false, &Effects::cutTags, EffectPlaces::CannotSay},
    {EffectKind::SkipHeader, "ActionNoTFS", EffectTexts::kNoTFS, "Ctrl+U", "StyleNoTFS", "ToolButton18", u"✉", false,
     EffectTexts::kHintNoTFS, false,
     {{{EffectKind::Numbering, EffectTexts::kNoteNoTFSAfterNumbering},
       {EffectKind::NoLineBreaks, EffectTexts::kNoteNoTFSAfterNoCRLF}}},
     false, &Effects::cutHeader, EffectPlaces::DropsFirstLines},
    {EffectKind::Numbering, "ActionNumbering", EffectTexts::kNumbering, "Ctrl+I", "StyleNumbering", "ToolButton17", u"#", true,
     EffectTexts::kHintNumbering, true, {{{EffectKind::NoLineBreaks, EffectTexts::kNoteNumberingAfterNoCRLF}}}, false,
     &Effects::numberLines, EffectPlaces::PrefixesLines},
}};

// The entry of a kind; null for a character that names no effect.
constexpr const Effect *findEffect(EffectKind kind)
{
    for (const Effect &effect : kEffects) {
        if (effect.kind == kind)
            return &effect;
    }
    return nullptr;
}
