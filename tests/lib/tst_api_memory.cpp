// libtovrik and memory: one splitter cuts message after message without
// allocating once it has met messages like the next ones, and running out of
// memory is a status, not a crash.

#include <tovrik/tovrik.h>

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {
std::atomic<long> allocations{0};
std::atomic<bool> refuse{false}; // every operator new throws
} // namespace

void *operator new(std::size_t size) {
    if (refuse.load())
        throw std::bad_alloc();
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
// (std::stable_sort asks for its buffer without exceptions: from malloc too.)
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
    if (refuse.load())
        return nullptr;
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size ? size : 1);
}

// Freed memory is overwritten, so that what is read from it after it is
// freed is seen to be wrong.
void operator delete(void *p) noexcept {
    if (p)
        std::memset(p, 0xA5, malloc_usable_size(p));
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete(void *p, const std::nothrow_t &) noexcept {
    operator delete(p);
}

int main() {
    const std::string graphemes = "👨‍👩‍👧‍👦 family 🇳🇴🇸🇪 e\xCC\x81. ";
    const std::vector<std::string> messages = {
        "Hello world. This is a test of the thing. And another sentence here! Fine.",
        "Price: 10€ [special] {offer} ~now~ ^_^ | back\\slash. Price: 10€ [special] {offer}",
        std::string(500, 'x'),
        "Привет, мир! Как дела? Привет, мир! Как дела? Привет, мир! Как дела? Привет, мир!",
        graphemes + graphemes + graphemes,
        "line one\r\nline two\nline three.\r\nline one\r\nline two\nline three.\r\n",
        "\U00020BB7\u91CE\u5BB6\u306E\U00020BB7\u7530\u3055\u3093 \U00029E3D", // past U+20000
        "",
    };
    struct Set {
        tovrik_units units;
        tovrik_mode mode;
        int limit;
        const char *format;
        const char *languages;
    };
    const Set sets[] = {
        {TOVRIK_UNITS_CHARACTERS, TOVRIK_MODE_SPACE, 20, nullptr, nullptr},
        {TOVRIK_UNITS_CHARACTERS, TOVRIK_MODE_EXACT, 9, "%k/%n %t", nullptr},
        {TOVRIK_UNITS_SMS, TOVRIK_MODE_PERIOD, 0, "(%k/%n) %t", nullptr},
        {TOVRIK_UNITS_SMS_CONCAT, TOVRIK_MODE_SPACE, 0, nullptr, nullptr},
        {TOVRIK_UNITS_SMS_CONCAT, TOVRIK_MODE_EXACT, 0, "%t %k/%n", nullptr},
        {TOVRIK_UNITS_SMS, TOVRIK_MODE_SPACE, 0, nullptr, "tr,es,pt"},
    };
    std::vector<tovrik_options *> options;
    for (const Set &set : sets) {
        tovrik_options *o = nullptr;
        if (tovrik_options_new_ex(set.units, set.mode, set.limit, set.format, TOVRIK_REPLACE_NEVER,
                                  set.languages, &o, nullptr) != TOVRIK_OK)
            return 1;
        options.push_back(o);
    }
    tovrik_splitter *splitter = nullptr;
    tovrik_splitter_new(&splitter, nullptr);

    long parts = 0;
    long during = 0;
    long first = 0;
    for (int pass = 0; pass < 3; ++pass) {
        const long before = allocations.load();
        for (tovrik_options *o : options)
            for (const std::string &message : messages) {
                if (tovrik_split(splitter, o, message.data(), message.size(), nullptr) != TOVRIK_OK)
                    return 1;
                for (std::size_t i = 0; i < tovrik_part_count(splitter); ++i) {
                    tovrik_part part;
                    tovrik_get_part(splitter, i, &part, nullptr);
                    parts += part.units > 0;
                }
            }
        // The first pass may grow the splitter's memory; later ones may not.
        (pass == 0 ? first : during) += allocations.load() - before;
    }

    // A cut's results stay as they were once its options are freed: the
    // numbering's characters without a GSM-7 form (an em dash) among them.
    {
        tovrik_options *dashed = nullptr;
        tovrik_options_new(TOVRIK_UNITS_SMS, TOVRIK_MODE_SPACE, 0, "\u2014%k/%n %t", &dashed,
                           nullptr);
        const std::string message = "\u201CHi\u201D";
        tovrik_split(splitter, dashed, message.data(), message.size(), nullptr);
        const auto characters = [&] {
            std::string all;
            for (std::size_t i = 0; i < tovrik_non_gsm7_count(splitter); ++i) {
                std::size_t length = 0;
                const char *c = tovrik_non_gsm7(splitter, i, &length);
                all.append(c, length).append(" ");
            }
            tovrik_part part;
            tovrik_get_part(splitter, 0, &part, nullptr);
            return all.append(part.text, part.text_length);
        };
        const std::string before = characters();
        tovrik_options_free(dashed);
        if (before != "\u201C \u201D \u2014 \u20141/1 \u201CHi\u201D" || characters() != before) {
            std::printf("FAIL the results once the options are freed: '%s', then '%s'\n",
                        before.c_str(), characters().c_str());
            return 1;
        }
    }

    // Out of memory: each call that needs memory says so, and works again
    // once memory is back.
    int failures = 0;
    const auto expect = [&](const char *what, tovrik_status got, const tovrik_error &error) {
        if (got != TOVRIK_ERROR_NO_MEMORY || error.code != TOVRIK_ERROR_NO_MEMORY ||
            std::string(error.message) != "out of memory") {
            std::printf("FAIL %s without memory: status %d, '%s'\n", what, int(got), error.message);
            ++failures;
        }
    };
    tovrik_splitter *fresh = nullptr;
    tovrik_options *numbered = nullptr;
    tovrik_error error;
    refuse = true;
    expect("a splitter", tovrik_splitter_new(&fresh, &error), error);
    expect(
        "options with a numbering",
        tovrik_options_new(TOVRIK_UNITS_SMS, TOVRIK_MODE_SPACE, 0, "%k/%n %t", &numbered, &error),
        error);
    refuse = false;
    tovrik_splitter_new(&fresh, nullptr);
    refuse = true;
    expect("a first cut",
           tovrik_split(fresh, options[0], messages[0].data(), messages[0].size(), &error), error);
    refuse = false;
    if (tovrik_part_count(fresh) != 0 ||
        tovrik_split(fresh, options[0], messages[0].data(), messages[0].size(), &error) !=
            TOVRIK_OK ||
        tovrik_part_count(fresh) == 0) {
        std::printf("FAIL the splitter does not recover once memory is back\n");
        ++failures;
    }
    tovrik_splitter_free(fresh);

    tovrik_splitter_free(splitter);
    for (tovrik_options *o : options)
        tovrik_options_free(o);
    // The first pass allocates: the count sees the library's allocations.
    std::printf("%ld parts cut; %ld allocations in the first pass, %ld after it\n", parts, first,
                during);
    return during == 0 && first > 0 && parts > 0 && failures == 0 ? 0 : 1;
}
