#include "core/icu.h"

#include <unicode/uvernum.h>

#include <dlfcn.h>
#include <string>

namespace tovrik::core::icu {

namespace {

// ICU's names carry its major version (ubrk_open is ubrk_open_72): the
// header's macros give the name as it is in the library.
#define TOVRIK_ICU_NAME_OF(name) #name
#define TOVRIK_ICU_NAME(name) TOVRIK_ICU_NAME_OF(name)

const std::string Library = "libicuuc.so." U_ICU_VERSION_SHORT;

template <class Function> void find(void *library, const char *name, Function &into) {
    void *found = ::dlsym(library, name);
    if (!found)
        throw Unavailable(Library + " has no " + name);
    into = reinterpret_cast<Function>(found);
}

Functions load() {
    void *library = ::dlopen(Library.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!library) {
        const char *why = ::dlerror();
        throw Unavailable("cannot load " + Library + (why ? std::string(": ") + why : ""));
    }
    Functions functions{};
    find(library, TOVRIK_ICU_NAME(ubrk_open), functions.breakOpen);
    find(library, TOVRIK_ICU_NAME(ubrk_close), functions.breakClose);
    find(library, TOVRIK_ICU_NAME(ubrk_setUText), functions.breakSetText);
    find(library, TOVRIK_ICU_NAME(ubrk_isBoundary), functions.breakIsBoundary);
    find(library, TOVRIK_ICU_NAME(utext_openUTF8), functions.textOpenUtf8);
    find(library, TOVRIK_ICU_NAME(utext_openUChars), functions.textOpenUChars);
    find(library, TOVRIK_ICU_NAME(utext_close), functions.textClose);
    return functions; // the library stays loaded for the process's life
}

} // namespace

const Functions &Load() {
    static const Functions functions = load();
    return functions;
}

} // namespace tovrik::core::icu
