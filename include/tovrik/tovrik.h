/* libtovrik: cuts a text message into pieces that fit a text-message limit.
 *
 * A plain C interface, usable from C, C++ and any language's foreign-function
 * interface. Text is UTF-8 in and out, given as a pointer and a length in
 * bytes (it need not end in NUL, and may hold NUL bytes).
 *
 * Every function that can fail returns a tovrik_status and, when the caller
 * passes a tovrik_error, fills it with the same code and a readable message
 * (UTF-8, NUL-terminated). No C++ exception leaves the library: running out
 * of memory is TOVRIK_ERROR_NO_MEMORY.
 *
 * Thread safety:
 * - A tovrik_options is immutable once tovrik_options_new has returned it:
 *   any number of threads may use one at the same time, until it is freed.
 * - A tovrik_splitter holds one message's results and its scratch memory: it
 *   is used by one thread at a time (every call, reading results included).
 *   Give each thread a splitter of its own; a splitter may move between
 *   threads when the caller orders the hand-over.
 * - The functions that take no handle (versions, names, messages) may be
 *   called from any thread at any time.
 *
 * Typical use: one options object, one splitter per thread, then for every
 * message tovrik_split and a loop over tovrik_get_part. A splitter keeps its
 * memory from one message to the next: once it has cut messages like the next
 * ones (as long, with the same kinds of characters), it cuts them without
 * allocating. (Options with other national languages than its last cut's
 * make it build their tables again, which allocates; so does a thread's
 * first message with characters that have no GSM-7 form, whose scratch
 * tables are the thread's.)
 */
#ifndef TOVRIK_TOVRIK_H
#define TOVRIK_TOVRIK_H

#include <stddef.h>

#define TOVRIK_VERSION_MAJOR 1
#define TOVRIK_VERSION_MINOR 0
#define TOVRIK_VERSION_PATCH 0
#define TOVRIK_VERSION_STRING "1.0.0"
/* MAJOR * 10000 + MINOR * 100 + PATCH, for #if comparisons. */
#define TOVRIK_VERSION_NUMBER 10000

#if defined(TOVRIK_BUILDING_LIBRARY)
#define TOVRIK_API __attribute__((visibility("default")))
#else
#define TOVRIK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef enum tovrik_status {
    TOVRIK_OK = 0,
    TOVRIK_ERROR_NULL = 1,      /* a NULL pointer where one is required */
    TOVRIK_ERROR_UTF8 = 2,      /* the text is not well-formed UTF-8 */
    TOVRIK_ERROR_FORMAT = 3,    /* the numbering format is not valid */
    TOVRIK_ERROR_LIMIT = 4,     /* the limit is not between 1 and 32767 */
    TOVRIK_ERROR_ARGUMENT = 5,  /* an unknown mode, units or encoding value */
    TOVRIK_ERROR_NO_ROOM = 6,   /* the numbering leaves no room for the text */
    TOVRIK_ERROR_NO_MEMORY = 7, /* out of memory */
    TOVRIK_ERROR_INDEX = 8,     /* no part with that index */
    TOVRIK_ERROR_INTERNAL = 9   /* a fault inside the library, or ICU cannot be loaded */
} tovrik_status;

/* The room for an error's message, its NUL included. */
#define TOVRIK_MESSAGE_SIZE 256

typedef struct tovrik_error {
    tovrik_status code;
    char message[TOVRIK_MESSAGE_SIZE]; /* UTF-8, NUL-terminated */
} tovrik_error;

/* How pieces are cut: whole words cut at a blank, exactly `limit` a piece,
 * or whole sentences cut after a period. In SMS units a word or sentence
 * that does not fit one part alone is cut as the exact mode cuts it; in
 * characters it stays whole, a piece of its own. */
typedef enum tovrik_mode {
    TOVRIK_MODE_SPACE = 0,
    TOVRIK_MODE_EXACT = 1,
    TOVRIK_MODE_PERIOD = 2
} tovrik_mode;

/* What the limit counts. */
typedef enum tovrik_units {
    /* UTF-16 code units, as phones count characters, against `limit`. */
    TOVRIK_UNITS_CHARACTERS = 0,
    /* SMS units: each piece fits one SMS of its own, GSM-7 (160 septets) or,
     * when it holds other characters, UCS-2 (70 units). */
    TOVRIK_UNITS_SMS = 1,
    /* The parts of one concatenated SMS: one encoding for all, parts of 153
     * septets or 67 units, or one part when the message fits 160 or 70. */
    TOVRIK_UNITS_SMS_CONCAT = 2
} tovrik_units;

typedef enum tovrik_encoding { TOVRIK_GSM7 = 0, TOVRIK_UCS2 = 1 } tovrik_encoding;

/* One piece of a cut message. The pointers stay valid until the splitter
 * cuts again or is freed (and, for the message's own bytes, while the
 * message does). */
typedef struct tovrik_part {
    /* The piece's text, unnumbered: message + offset, length bytes. */
    size_t offset;
    size_t length;
    /* The part as it is sent: the numbered text when the options number the
     * pieces (held by the splitter), else the same bytes as above. Not
     * NUL-terminated. */
    const char *text;
    size_t text_length;
    /* The part's encoding (the message's one with TOVRIK_UNITS_SMS_CONCAT,
     * the part's own otherwise) and its length in it: septets for GSM-7,
     * UTF-16 code units for UCS-2. */
    tovrik_encoding encoding;
    size_t units;
} tovrik_part;

typedef struct tovrik_options tovrik_options;
typedef struct tovrik_splitter tovrik_splitter;

/* --- Versions and names ------------------------------------------------- */

/* The library's version at run time, "MAJOR.MINOR.PATCH", and as a number
 * like TOVRIK_VERSION_NUMBER. */
TOVRIK_API const char *tovrik_version(void);
TOVRIK_API int tovrik_version_number(void);

/* A short description of a status, in English; never NULL. */
TOVRIK_API const char *tovrik_status_message(tovrik_status status);

/* "GSM-7" or "UCS-2"; NULL for any other value. */
TOVRIK_API const char *tovrik_encoding_name(tovrik_encoding encoding);

/* --- Options ------------------------------------------------------------ */

/* How to cut. limit (1 to 32767) is used only with TOVRIK_UNITS_CHARACTERS;
 * an SMS sets its own limit, and the value passed is then ignored.
 * number_format, when not NULL, numbers the pieces: a NUL-terminated UTF-8
 * format with %t the piece's text (exactly once), %k its number, %n the
 * count and %% a %, e.g. "%k/%n %t". The numbering's characters count
 * against the limit. On success *out is a new options object, to be freed
 * with tovrik_options_free; on failure *out is NULL. */
TOVRIK_API tovrik_status tovrik_options_new(tovrik_units units, tovrik_mode mode, int limit,
                                            const char *number_format, tovrik_options **out,
                                            tovrik_error *error);

/* Replacing characters that have a common GSM-7 look-alike (curly quotes,
 * dashes, odd spaces, ...; tovrik-split(1) lists them) before the cut:
 * never, when that makes the message cost fewer parts, or whenever the
 * message is then GSM-7 throughout. */
typedef enum tovrik_replace {
    TOVRIK_REPLACE_NEVER = 0,
    TOVRIK_REPLACE_WHEN_CHEAPER = 1,
    TOVRIK_REPLACE_ALWAYS = 2
} tovrik_replace;

/* tovrik_options_new, and more: look-alike replacement, and the national
 * languages whose shift tables GSM-7 may use, as ISO 639-1 codes separated
 * by commas ("tr,es,pt"; any of tr es pt bn gu hi kn ml or pa ta te ur), or
 * NULL or "" for none. National tables need SMS units (TOVRIK_ERROR_ARGUMENT
 * otherwise, and for an unknown code). */
TOVRIK_API tovrik_status tovrik_options_new_ex(tovrik_units units, tovrik_mode mode, int limit,
                                               const char *number_format, tovrik_replace replace,
                                               const char *languages, tovrik_options **out,
                                               tovrik_error *error);

/* Frees options (NULL is fine). No splitter may be using them any more. */
TOVRIK_API void tovrik_options_free(tovrik_options *options);

/* --- Splitters ---------------------------------------------------------- */

/* A new splitter, to be freed with tovrik_splitter_free. */
TOVRIK_API tovrik_status tovrik_splitter_new(tovrik_splitter **out, tovrik_error *error);

/* Frees a splitter (NULL is fine). */
TOVRIK_API void tovrik_splitter_free(tovrik_splitter *splitter);

/* Cuts text[0, length) under the options. The text must stay in place while
 * the parts are read; it is not copied. text may be NULL only when length
 * is 0 (the empty message, which has no parts). On failure the splitter
 * holds no parts. */
TOVRIK_API tovrik_status tovrik_split(tovrik_splitter *splitter, const tovrik_options *options,
                                      const char *text, size_t length, tovrik_error *error);

/* The results of the last successful tovrik_split (all zero before one, or
 * after a failed one). */

/* How many parts the message was cut into. */
TOVRIK_API size_t tovrik_part_count(const tovrik_splitter *splitter);

/* Part `index` (0-based) into *part. */
TOVRIK_API tovrik_status tovrik_get_part(const tovrik_splitter *splitter, size_t index,
                                         tovrik_part *part, tovrik_error *error);

/* What the message costs as it will be sent. In SMS units: the parts'
 * encoding, numbering included (UCS-2 when any part is UCS-2), and one SMS
 * per part. In characters: the whole message sent as one concatenated SMS,
 * as a phone sends it: its encoding and how many segments it takes. 0
 * segments for the empty message. */
TOVRIK_API tovrik_encoding tovrik_message_encoding(const tovrik_splitter *splitter);
TOVRIK_API size_t tovrik_segments(const tovrik_splitter *splitter);

/* The national shift tables the GSM-7 parts are sent with, as ISO 639-1
 * codes: the locking shift table and the single shift table; "" for a
 * default table (always without national languages). */
TOVRIK_API const char *tovrik_shift_locking(const tovrik_splitter *splitter);
TOVRIK_API const char *tovrik_shift_single(const tovrik_splitter *splitter);

/* How many look-alike characters were replaced, and the text as it is cut
 * and sent: the message itself when none were. Parts' offsets place them in
 * this text. Valid until the next tovrik_split. */
TOVRIK_API size_t tovrik_replaced(const tovrik_splitter *splitter);
TOVRIK_API const char *tovrik_sent_text(const tovrik_splitter *splitter, size_t *length);

/* Why a message is UCS-2: its characters (and the numbering's) that have no
 * GSM-7 form (with national languages: that no enabled table has, or when
 * each is in some table but no pair has them all, that the pair lacking the
 * fewest lacks), each once, in order of first appearance, at most 10;
 * tovrik_non_gsm7_more
 * counts the other different ones. None for a GSM-7 message. Each is the
 * character's UTF-8 bytes in the sent text or the format. */
TOVRIK_API size_t tovrik_non_gsm7_count(const tovrik_splitter *splitter);
TOVRIK_API const char *tovrik_non_gsm7(const tovrik_splitter *splitter, size_t index,
                                       size_t *length);
TOVRIK_API size_t tovrik_non_gsm7_more(const tovrik_splitter *splitter);

#ifdef __cplusplus
}
#endif

#endif /* TOVRIK_TOVRIK_H */
