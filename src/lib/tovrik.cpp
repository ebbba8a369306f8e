// libtovrik: the C interface of include/tovrik/tovrik.h over the core.

#include "tovrik/tovrik.h"

#include "core/icu.h"
#include "core/national.h"
#include "core/numbering.h"
#include "core/pieces.h"
#include "core/utf8.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

static_assert(std::string_view(TOVRIK_VERSION_STRING) == TOVRIK_VERSION,
              "tovrik.h's version is not the project's");

namespace core = tovrik::core;

struct tovrik_options {
    core::PieceOptions pieces;
    std::optional<core::NumberFormat> number;
};

struct tovrik_splitter {
    core::PieceSplitter splitter;
    // The options of the last cut, copied: its results (the numbering's
    // characters among them) outlive the caller's options. The numbering is
    // the last one met, kept when a cut has none, so that the next one
    // reuses its memory.
    core::PieceOptions pieces;
    std::optional<core::NumberFormat> number;
    bool cut = false; // the last tovrik_split succeeded
    // A message that lies in what the splitter holds (its sent text or a
    // numbered part, passed back to be cut again), copied before the cut
    // overwrites it.
    std::string copied;
    const char *message = nullptr;
    std::size_t count = 0; // parts of the last successful cut
    std::size_t segments = 0;
    // With numbering: every part's numbered text, one after the other, and
    // where each one ends.
    std::string numbered;
    std::vector<std::size_t> ends;
    core::WithoutGsm7 without; // why the message is UCS-2
};

namespace {

constexpr int MaxLimit = 32767;

// Whether text lies, even in part, in memory the splitter holds: the text it
// sent (look-alikes replaced), its numbered parts, the numbering, or a message
// it copied.
bool holds(const tovrik_splitter &splitter, std::string_view text) {
    const auto within = [text](std::string_view held) {
        return !text.empty() && !held.empty() && text.data() < held.data() + held.size() &&
               held.data() < text.data() + text.size();
    };
    return (splitter.splitter.replaced() > 0 && within(splitter.splitter.text())) ||
           within(splitter.numbered) || within(splitter.copied) ||
           (splitter.number && within(splitter.number->literal()));
}

// Copies a message into the caller's error, cut at a character boundary when
// it does not fit; returns the status.
tovrik_status fail(tovrik_error *error, tovrik_status code, std::string_view message) {
    if (error) {
        error->code = code;
        std::size_t size = std::min(message.size(), std::size_t(TOVRIK_MESSAGE_SIZE - 1));
        while (size > 0 && size < message.size() &&
               (static_cast<unsigned char>(message[size]) & 0xC0) == 0x80)
            --size;
        std::memcpy(error->message, message.data(), size);
        error->message[size] = '\0';
    }
    return code;
}

tovrik_status fail(tovrik_error *error, tovrik_status code) {
    return fail(error, code, tovrik_status_message(code));
}

tovrik_status succeed(tovrik_error *error) {
    if (error) {
        error->code = TOVRIK_OK;
        error->message[0] = '\0';
    }
    return TOVRIK_OK;
}

// Runs body, turning what it throws into a status.
template <class Body> tovrik_status guarded(tovrik_error *error, Body &&body) {
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return fail(error, TOVRIK_ERROR_NO_MEMORY);
    } catch (const core::icu::Unavailable &missing) {
        return fail(error, TOVRIK_ERROR_INTERNAL, missing.what()); // a broken installation
    } catch (...) {
        return fail(error, TOVRIK_ERROR_INTERNAL);
    }
}

} // namespace

extern "C" {

TOVRIK_API const char *tovrik_version(void) {
    return TOVRIK_VERSION_STRING;
}

TOVRIK_API int tovrik_version_number(void) {
    return TOVRIK_VERSION_NUMBER;
}

TOVRIK_API const char *tovrik_status_message(tovrik_status status) {
    switch (status) {
    case TOVRIK_OK:
        return "no error";
    case TOVRIK_ERROR_NULL:
        return "a required pointer is NULL";
    case TOVRIK_ERROR_UTF8:
        return "the text is not well-formed UTF-8";
    case TOVRIK_ERROR_FORMAT:
        return "the numbering format is not valid";
    case TOVRIK_ERROR_LIMIT:
        return "the limit must be between 1 and 32767";
    case TOVRIK_ERROR_ARGUMENT:
        return "an argument has an unknown value";
    case TOVRIK_ERROR_NO_ROOM:
        return "the numbering leaves no room for the text";
    case TOVRIK_ERROR_NO_MEMORY:
        return "out of memory";
    case TOVRIK_ERROR_INDEX:
        return "there is no part with that index";
    case TOVRIK_ERROR_INTERNAL:
        return "an internal fault in libtovrik";
    }
    return "an unknown status";
}

TOVRIK_API const char *tovrik_encoding_name(tovrik_encoding encoding) {
    switch (encoding) {
    case TOVRIK_GSM7:
        return "GSM-7";
    case TOVRIK_UCS2:
        return "UCS-2";
    }
    return nullptr;
}

TOVRIK_API tovrik_status tovrik_options_new(tovrik_units units, tovrik_mode mode, int limit,
                                            const char *number_format, tovrik_options **out,
                                            tovrik_error *error) {
    return tovrik_options_new_ex(units, mode, limit, number_format, TOVRIK_REPLACE_NEVER, nullptr,
                                 out, error);
}

TOVRIK_API tovrik_status tovrik_options_new_ex(tovrik_units units, tovrik_mode mode, int limit,
                                               const char *number_format, tovrik_replace replace,
                                               const char *languages, tovrik_options **out,
                                               tovrik_error *error) {
    if (!out)
        return fail(error, TOVRIK_ERROR_NULL, "the place for the options (out) is NULL");
    *out = nullptr;
    core::PieceOptions pieces;
    switch (units) {
    case TOVRIK_UNITS_CHARACTERS:
        pieces.sms = core::SmsUnits::Off;
        break;
    case TOVRIK_UNITS_SMS:
        pieces.sms = core::SmsUnits::Standalone;
        break;
    case TOVRIK_UNITS_SMS_CONCAT:
        pieces.sms = core::SmsUnits::Concat;
        break;
    default:
        return fail(error, TOVRIK_ERROR_ARGUMENT,
                    "unknown units " + std::to_string(int(units)) +
                        " (TOVRIK_UNITS_CHARACTERS, TOVRIK_UNITS_SMS or TOVRIK_UNITS_SMS_CONCAT)");
    }
    switch (mode) {
    case TOVRIK_MODE_SPACE:
        pieces.mode = core::SplitMode::Space;
        break;
    case TOVRIK_MODE_EXACT:
        pieces.mode = core::SplitMode::Exact;
        break;
    case TOVRIK_MODE_PERIOD:
        pieces.mode = core::SplitMode::Period;
        break;
    default:
        return fail(error, TOVRIK_ERROR_ARGUMENT,
                    "unknown mode " + std::to_string(int(mode)) +
                        " (TOVRIK_MODE_SPACE, TOVRIK_MODE_EXACT or TOVRIK_MODE_PERIOD)");
    }
    switch (replace) {
    case TOVRIK_REPLACE_NEVER:
        pieces.replace = core::Replacement::Never;
        break;
    case TOVRIK_REPLACE_WHEN_CHEAPER:
        pieces.replace = core::Replacement::WhenCheaper;
        break;
    case TOVRIK_REPLACE_ALWAYS:
        pieces.replace = core::Replacement::Always;
        break;
    default:
        return fail(error, TOVRIK_ERROR_ARGUMENT,
                    "unknown replacement " + std::to_string(int(replace)) +
                        " (TOVRIK_REPLACE_NEVER, TOVRIK_REPLACE_WHEN_CHEAPER or "
                        "TOVRIK_REPLACE_ALWAYS)");
    }
    if (languages && *languages) {
        if (pieces.sms == core::SmsUnits::Off)
            return fail(error, TOVRIK_ERROR_ARGUMENT, "national languages need SMS units");
        std::string why;
        if (!core::ParseLanguages(languages, pieces.languages, why))
            return fail(error, TOVRIK_ERROR_ARGUMENT, why);
    }
    if (pieces.sms == core::SmsUnits::Off) {
        if (limit < 1 || limit > MaxLimit)
            return fail(error, TOVRIK_ERROR_LIMIT,
                        "the limit must be between 1 and 32767, not " + std::to_string(limit));
        pieces.limit = limit;
    }
    return guarded(error, [&] {
        std::optional<core::NumberFormat> number;
        if (number_format) {
            std::string why;
            number = core::NumberFormat::parse(number_format, &why);
            if (!number)
                return fail(error, TOVRIK_ERROR_FORMAT, "the numbering format: " + why);
        }
        auto *options = new tovrik_options{pieces, std::move(number)};
        if (options->number)
            options->pieces.number = &*options->number;
        *out = options;
        return succeed(error);
    });
}

TOVRIK_API void tovrik_options_free(tovrik_options *options) {
    delete options;
}

TOVRIK_API tovrik_status tovrik_splitter_new(tovrik_splitter **out, tovrik_error *error) {
    if (!out)
        return fail(error, TOVRIK_ERROR_NULL, "the place for the splitter (out) is NULL");
    *out = nullptr;
    return guarded(error, [&] {
        *out = new tovrik_splitter;
        return succeed(error);
    });
}

TOVRIK_API void tovrik_splitter_free(tovrik_splitter *splitter) {
    delete splitter;
}

TOVRIK_API tovrik_status tovrik_split(tovrik_splitter *splitter, const tovrik_options *options,
                                      const char *text, size_t length, tovrik_error *error) {
    if (!splitter)
        return fail(error, TOVRIK_ERROR_NULL, "the splitter is NULL");
    splitter->count = 0;
    splitter->segments = 0;
    splitter->cut = false;
    if (!options)
        return fail(error, TOVRIK_ERROR_NULL, "the options are NULL");
    if (!text && length > 0)
        return fail(error, TOVRIK_ERROR_NULL, "the text is NULL");
    std::string_view message = text ? std::string_view(text, length) : std::string_view();
    if (const std::ptrdiff_t bad = core::FirstInvalidUtf8(message.data(), message.size()); bad >= 0)
        return fail(error, TOVRIK_ERROR_UTF8, "invalid UTF-8 at byte " + std::to_string(bad));

    return guarded(error, [&] {
        if (holds(*splitter, message)) {
            std::string copy(message);
            splitter->copied.swap(copy);
            message = splitter->copied;
        }
        splitter->message = nullptr;
        splitter->pieces = options->pieces;
        if (options->number) {
            splitter->number = *options->number;
            splitter->pieces.number = &*splitter->number;
        }
        if (!splitter->splitter.split(message, splitter->pieces))
            return fail(error, TOVRIK_ERROR_NO_ROOM);
        const auto &pieces = splitter->splitter.pieces();
        if (options->number) {
            splitter->numbered.clear();
            splitter->ends.clear();
            const std::ptrdiff_t count = std::ptrdiff_t(pieces.size());
            for (std::ptrdiff_t i = 0; i < count; ++i) {
                options->number->render(
                    i + 1, count, pieces[std::size_t(i)],
                    [&](std::string_view stretch) { splitter->numbered.append(stretch); });
                splitter->ends.push_back(splitter->numbered.size());
            }
        }
        splitter->segments = std::size_t(splitter->splitter.segments());
        splitter->without.characters.clear();
        splitter->without.more = 0;
        if (splitter->splitter.messageEncoding() == core::SmsEncoding::Ucs2)
            splitter->splitter.withoutGsm7(core::ShownWithoutGsm7, splitter->without);
        splitter->cut = true;
        splitter->message = splitter->splitter.text().data();
        splitter->count = pieces.size();
        return succeed(error);
    });
}

TOVRIK_API size_t tovrik_part_count(const tovrik_splitter *splitter) {
    return splitter ? splitter->count : 0;
}

TOVRIK_API tovrik_status tovrik_get_part(const tovrik_splitter *splitter, size_t index,
                                         tovrik_part *part, tovrik_error *error) {
    if (!splitter)
        return fail(error, TOVRIK_ERROR_NULL, "the splitter is NULL");
    if (!part)
        return fail(error, TOVRIK_ERROR_NULL, "the place for the part is NULL");
    if (index >= splitter->count)
        return fail(error, TOVRIK_ERROR_INDEX,
                    "no part " + std::to_string(index) + " in a message of " +
                        std::to_string(splitter->count) + " parts");
    const std::string_view piece = splitter->splitter.pieces()[index];
    const core::PieceSplitter::Cost cost = splitter->splitter.cost(std::ptrdiff_t(index));
    part->offset = std::size_t(piece.data() - splitter->message);
    part->length = piece.size();
    if (splitter->pieces.number) {
        const std::size_t from = index == 0 ? 0 : splitter->ends[index - 1];
        part->text = splitter->numbered.data() + from;
        part->text_length = splitter->ends[index] - from;
    } else {
        part->text = piece.data();
        part->text_length = piece.size();
    }
    part->encoding = cost.encoding == core::SmsEncoding::Gsm7 ? TOVRIK_GSM7 : TOVRIK_UCS2;
    part->units = std::size_t(cost.units);
    return succeed(error);
}

TOVRIK_API tovrik_encoding tovrik_message_encoding(const tovrik_splitter *splitter) {
    if (!splitter || !splitter->cut)
        return TOVRIK_GSM7;
    return splitter->splitter.messageEncoding() == core::SmsEncoding::Gsm7 ? TOVRIK_GSM7
                                                                           : TOVRIK_UCS2;
}

TOVRIK_API size_t tovrik_segments(const tovrik_splitter *splitter) {
    return splitter ? splitter->segments : 0;
}

TOVRIK_API const char *tovrik_shift_locking(const tovrik_splitter *splitter) {
    if (!splitter || !splitter->cut)
        return "";
    return core::LanguageCode(splitter->splitter.tables().locking).data();
}

TOVRIK_API const char *tovrik_shift_single(const tovrik_splitter *splitter) {
    if (!splitter || !splitter->cut)
        return "";
    return core::LanguageCode(splitter->splitter.tables().single).data();
}

TOVRIK_API size_t tovrik_replaced(const tovrik_splitter *splitter) {
    return splitter && splitter->cut ? splitter->splitter.replaced() : 0;
}

TOVRIK_API const char *tovrik_sent_text(const tovrik_splitter *splitter, size_t *length) {
    const std::string_view text =
        splitter && splitter->cut ? splitter->splitter.text() : std::string_view();
    if (length)
        *length = text.size();
    return text.data() ? text.data() : "";
}

TOVRIK_API size_t tovrik_non_gsm7_count(const tovrik_splitter *splitter) {
    return splitter && splitter->cut ? splitter->without.characters.size() : 0;
}

TOVRIK_API const char *tovrik_non_gsm7(const tovrik_splitter *splitter, size_t index,
                                       size_t *length) {
    if (!splitter || !splitter->cut || index >= splitter->without.characters.size()) {
        if (length)
            *length = 0;
        return nullptr;
    }
    const std::string_view character = splitter->without.characters[index];
    if (length)
        *length = character.size();
    return character.data();
}

TOVRIK_API size_t tovrik_non_gsm7_more(const tovrik_splitter *splitter) {
    return splitter && splitter->cut ? splitter->without.more : 0;
}

} // extern "C"
