#pragma once

#include <unicode/ubrk.h>
#include <unicode/utext.h>

#include <stdexcept>

// The ICU functions the engine calls, found in ICU's common library when
// first needed: a program that never asks for a grapheme boundary (the plain
// cut) starts without loading ICU. A program linked with ICU already has it,
// and finding it costs nothing.

namespace tovrik::core::icu {

struct Functions {
    decltype(&::ubrk_open) breakOpen;
    decltype(&::ubrk_close) breakClose;
    decltype(&::ubrk_setUText) breakSetText;
    decltype(&::ubrk_isBoundary) breakIsBoundary;
    decltype(&::utext_openUTF8) textOpenUtf8;
    decltype(&::utext_openUChars) textOpenUChars;
    decltype(&::utext_close) textClose;
};

// ICU could not be loaded or lacks a function: the library's name and why.
struct Unavailable : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Loads ICU once per process. Throws Unavailable.
const Functions &Load();

} // namespace tovrik::core::icu
