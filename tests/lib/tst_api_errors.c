/* Bad input through libtovrik's C interface: each case gets its code and a
 * message naming the fault, the splitter holds no parts after it, and
 * nothing is read past the bytes given. */
#include <tovrik/tovrik.h>

#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

static int failures = 0;

static void expect(const char *what, tovrik_status got, const tovrik_error *error,
                   tovrik_status code, const char *message) {
    if (got != code || error->code != code || !strstr(error->message, message)) {
        printf("FAIL %s: status %d, error %d '%s'; wanted %d with '%s'\n", what, (int)got,
               (int)error->code, error->message, (int)code, message);
        ++failures;
    }
}

struct text_case {
    const char *name;
    const char *text;
    size_t length;
    tovrik_status code;
    const char *message;
};

struct options_case {
    const char *name;
    tovrik_units units;
    tovrik_mode mode;
    int limit;
    const char *format;
    tovrik_status code;
    const char *message;
};

/* Whether two splitters hold the same cut: parts (text, units) and sent text. */
static int same_cut(const tovrik_splitter *a, const tovrik_splitter *b) {
    size_t la = 0, lb = 0;
    const char *sa = tovrik_sent_text(a, &la);
    const char *sb = tovrik_sent_text(b, &lb);
    if (tovrik_part_count(a) != tovrik_part_count(b) || la != lb || memcmp(sa, sb, la) != 0)
        return 0;
    for (size_t i = 0; i < tovrik_part_count(a); ++i) {
        tovrik_part pa, pb;
        tovrik_get_part(a, i, &pa, NULL);
        tovrik_get_part(b, i, &pb, NULL);
        if (pa.units != pb.units || pa.text_length != pb.text_length ||
            memcmp(pa.text, pb.text, pa.text_length) != 0)
            return 0;
    }
    return 1;
}

/* A splitter given its own output to cut (the sent text, a numbered part)
 * cuts what a copy of it gives. */
static void check_own_output_cut_again(void) {
    /* "Hi" in curly quotes, an em dash: look-alikes. */
    const char *message = "\xE2\x80\x9CHi\xE2\x80\x9D, he said \xE2\x80\x94 and then some more "
                          "words, so that the message takes two parts of its own: one, two, "
                          "three, four, five, six, seven, eight, nine, ten, eleven, twelve.";
    tovrik_options *options = NULL, *other_options = NULL;
    tovrik_splitter *splitter = NULL, *other = NULL;
    tovrik_options_new_ex(TOVRIK_UNITS_SMS, TOVRIK_MODE_SPACE, 0, "AAA%k/%n %t",
                          TOVRIK_REPLACE_ALWAYS, NULL, &options, NULL);
    tovrik_splitter_new(&splitter, NULL);
    tovrik_splitter_new(&other, NULL);

    /* The sent text, then a numbered part, cut again. */
    tovrik_options_new_ex(TOVRIK_UNITS_SMS_CONCAT, TOVRIK_MODE_SPACE, 0, "%k/%n %t",
                          TOVRIK_REPLACE_ALWAYS, NULL, &other_options, NULL);
    tovrik_split(splitter, other_options, message, strlen(message), NULL);
    for (int round = 0; round < 2; ++round) {
        const char *text = NULL;
        size_t length = 0;
        tovrik_part part;
        if (round == 0) {
            text = tovrik_sent_text(splitter, &length);
        } else {
            tovrik_get_part(splitter, 0, &part, NULL);
            text = part.text;
            length = part.text_length;
        }
        char copy[512];
        memcpy(copy, text, length);
        tovrik_split(other, options, copy, length, NULL);
        if (tovrik_split(splitter, options, text, length, NULL) != TOVRIK_OK ||
            !same_cut(splitter, other)) {
            printf("FAIL the splitter's own %s cut again differs from a copy's cut\n",
                   round == 0 ? "sent text" : "numbered part");
            ++failures;
        }
        tovrik_split(splitter, other_options, message, strlen(message), NULL);
    }
    tovrik_splitter_free(splitter);
    tovrik_splitter_free(other);
    tovrik_options_free(options);
    tovrik_options_free(other_options);
}

int main(void) {
    tovrik_error error;
    tovrik_options *plain = NULL;
    tovrik_options *numbered = NULL;
    tovrik_splitter *splitter = NULL;
    if (tovrik_options_new(TOVRIK_UNITS_CHARACTERS, TOVRIK_MODE_SPACE, 160, NULL, &plain, &error) !=
            TOVRIK_OK ||
        tovrik_options_new(TOVRIK_UNITS_CHARACTERS, TOVRIK_MODE_SPACE, 6, "%k/%n %t", &numbered,
                           &error) != TOVRIK_OK ||
        tovrik_splitter_new(&splitter, &error) != TOVRIK_OK) {
        printf("FAIL setting up: %s\n", error.message);
        return 1;
    }

    /* Versions. */
    if (strcmp(tovrik_version(), TOVRIK_VERSION_STRING) != 0 ||
        strcmp(tovrik_version(), EXPECTED_VERSION) != 0 ||
        tovrik_version_number() != TOVRIK_VERSION_NUMBER ||
        TOVRIK_VERSION_NUMBER !=
            TOVRIK_VERSION_MAJOR * 10000 + TOVRIK_VERSION_MINOR * 100 + TOVRIK_VERSION_PATCH) {
        printf("FAIL version: %s %d, header %s, project %s\n", tovrik_version(),
               tovrik_version_number(), TOVRIK_VERSION_STRING, EXPECTED_VERSION);
        ++failures;
    }

    static const struct options_case options_cases[] = {
        {"limit 0", TOVRIK_UNITS_CHARACTERS, TOVRIK_MODE_SPACE, 0, NULL, TOVRIK_ERROR_LIMIT,
         "between 1 and 32767, not 0"},
        {"limit -5", TOVRIK_UNITS_CHARACTERS, TOVRIK_MODE_EXACT, -5, NULL, TOVRIK_ERROR_LIMIT,
         "not -5"},
        {"limit 32768", TOVRIK_UNITS_CHARACTERS, TOVRIK_MODE_SPACE, 32768, NULL, TOVRIK_ERROR_LIMIT,
         "not 32768"},
        {"format without %t", TOVRIK_UNITS_SMS, TOVRIK_MODE_SPACE, 0, "%k/%n", TOVRIK_ERROR_FORMAT,
         "must hold %t exactly once"},
        {"format with %t twice", TOVRIK_UNITS_CHARACTERS, TOVRIK_MODE_SPACE, 160, "%t %t",
         TOVRIK_ERROR_FORMAT, "must hold %t exactly once"},
        {"format with %x", TOVRIK_UNITS_SMS_CONCAT, TOVRIK_MODE_SPACE, 0, "%x %t",
         TOVRIK_ERROR_FORMAT, "%x is not %t, %k, %n or %%"},
        {"format ending in %", TOVRIK_UNITS_CHARACTERS, TOVRIK_MODE_SPACE, 160, "%t %",
         TOVRIK_ERROR_FORMAT, "lone %"},
        {"format not UTF-8", TOVRIK_UNITS_CHARACTERS, TOVRIK_MODE_SPACE, 160, "%t \xC3",
         TOVRIK_ERROR_FORMAT, "not UTF-8 at byte 3"},
        {"unknown mode", TOVRIK_UNITS_CHARACTERS, (tovrik_mode)7, 160, NULL, TOVRIK_ERROR_ARGUMENT,
         "unknown mode 7"},
        {"unknown units", (tovrik_units)3, TOVRIK_MODE_SPACE, 160, NULL, TOVRIK_ERROR_ARGUMENT,
         "unknown units 3"},
    };
    for (size_t i = 0; i < sizeof options_cases / sizeof options_cases[0]; ++i) {
        const struct options_case *c = &options_cases[i];
        tovrik_options *options = (tovrik_options *)&error; /* must be reset to NULL */
        const tovrik_status got =
            tovrik_options_new(c->units, c->mode, c->limit, c->format, &options, &error);
        expect(c->name, got, &error, c->code, c->message);
        if (options != NULL) {
            printf("FAIL %s: the options are not NULL after a failure\n", c->name);
            ++failures;
        }
    }
    /* With SMS units the limit is not used. */
    tovrik_options *sms = NULL;
    expect("SMS units ignore the limit",
           tovrik_options_new(TOVRIK_UNITS_SMS, TOVRIK_MODE_SPACE, 0, NULL, &sms, &error), &error,
           TOVRIK_OK, "");
    tovrik_options_free(sms);

    static const struct text_case text_cases[] = {
        {"a byte that starts nothing", "ab\xFF", 3, TOVRIK_ERROR_UTF8, "invalid UTF-8 at byte 2"},
        {"a character cut off at the end", "ab\xE2\x82", 4, TOVRIK_ERROR_UTF8,
         "invalid UTF-8 at byte 2"},
        {"an overlong form", "x\xC0\xAF", 3, TOVRIK_ERROR_UTF8, "invalid UTF-8 at byte 1"},
        {"a surrogate", "\xED\xA0\x80", 3, TOVRIK_ERROR_UTF8, "invalid UTF-8 at byte 0"},
        {"beyond U+10FFFF", "ok \xF4\x90\x80\x80", 7, TOVRIK_ERROR_UTF8, "invalid UTF-8 at byte 3"},
        {"a NULL text", NULL, 5, TOVRIK_ERROR_NULL, "the text is NULL"},
        {"a NULL empty text", NULL, 0, TOVRIK_OK, ""},
    };
    for (size_t i = 0; i < sizeof text_cases / sizeof text_cases[0]; ++i) {
        const struct text_case *c = &text_cases[i];
        /* A good cut first, so that a failure has parts to drop. */
        tovrik_split(splitter, plain, "a b", 3, NULL);
        expect(c->name, tovrik_split(splitter, plain, c->text, c->length, &error), &error, c->code,
               c->message);
        if (tovrik_part_count(splitter) != 0 || tovrik_segments(splitter) != 0) {
            printf("FAIL %s: %zu parts, %zu segments left\n", c->name, tovrik_part_count(splitter),
                   tovrik_segments(splitter));
            ++failures;
        }
    }

    /* The numbering leaves no room: "1/1 " is four of the six characters,
     * and with 10 pieces "10/10 " would be all. */
    expect("room for the text", tovrik_split(splitter, numbered, "ab cd", 5, &error), &error,
           TOVRIK_OK, "");
    expect("no room for the text",
           tovrik_split(splitter, numbered, "a b c d e f g h i j k", 21, &error), &error,
           TOVRIK_ERROR_NO_ROOM, "the numbering leaves no room for the text");

    /* NULL handles. */
    tovrik_part part;
    expect("a NULL splitter", tovrik_split(NULL, plain, "a", 1, &error), &error, TOVRIK_ERROR_NULL,
           "the splitter is NULL");
    expect("NULL options", tovrik_split(splitter, NULL, "a", 1, &error), &error, TOVRIK_ERROR_NULL,
           "the options are NULL");
    expect("a NULL place for options",
           tovrik_options_new(TOVRIK_UNITS_SMS, TOVRIK_MODE_SPACE, 0, NULL, NULL, &error), &error,
           TOVRIK_ERROR_NULL, "out");
    expect("a NULL place for a splitter", tovrik_splitter_new(NULL, &error), &error,
           TOVRIK_ERROR_NULL, "out");
    expect("a NULL place for a part", tovrik_get_part(splitter, 0, NULL, &error), &error,
           TOVRIK_ERROR_NULL, "part");
    expect("a part of a NULL splitter", tovrik_get_part(NULL, 0, &part, &error), &error,
           TOVRIK_ERROR_NULL, "the splitter is NULL");
    /* A NULL splitter, and one that has cut nothing yet: no results. */
    tovrik_splitter *fresh = NULL;
    tovrik_splitter_new(&fresh, NULL);
    const tovrik_splitter *const empty[] = {NULL, fresh};
    for (int k = 0; k < 2; ++k) {
        const tovrik_splitter *s = empty[k];
        size_t sent = 1, character = 1;
        if (tovrik_part_count(s) != 0 || tovrik_segments(s) != 0 ||
            tovrik_message_encoding(s) != TOVRIK_GSM7 || strcmp(tovrik_shift_locking(s), "") != 0 ||
            strcmp(tovrik_shift_single(s), "") != 0 || tovrik_replaced(s) != 0 ||
            strcmp(tovrik_sent_text(s, &sent), "") != 0 || sent != 0 ||
            tovrik_non_gsm7_count(s) != 0 || tovrik_non_gsm7(s, 0, &character) != NULL ||
            character != 0 || tovrik_non_gsm7_more(s) != 0) {
            printf("FAIL %s splitter has results\n", s ? "a new" : "a NULL");
            ++failures;
        }
    }
    tovrik_splitter_free(fresh);
    tovrik_options_free(NULL);
    tovrik_splitter_free(NULL);

    /* A part past the last. */
    tovrik_split(splitter, plain, "one two", 7, NULL);
    expect("part 1 of 1", tovrik_get_part(splitter, 1, &part, &error), &error, TOVRIK_ERROR_INDEX,
           "no part 1 in a message of 1 parts");
    /* Without an error to fill, the status alone. */
    if (tovrik_split(splitter, plain, "\xFF", 1, NULL) != TOVRIK_ERROR_UTF8) {
        printf("FAIL a NULL error changes the status\n");
        ++failures;
    }

    /* Text that ends where readable memory ends: a page followed by one that
     * may not be read. A read past the text would crash here. */
    const long page = sysconf(_SC_PAGESIZE);
    char *pages =
        mmap(NULL, 2 * (size_t)page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (pages == MAP_FAILED || mprotect(pages + page, (size_t)page, PROT_NONE) != 0) {
        printf("FAIL cannot map a guard page\n");
        return 1;
    }
    /* A message too long for the error is cut where a character ends. */
    {
        char languages[301] = "";
        for (int i = 0; i < 150; ++i)
            strcat(languages, "\xC3\xA9"); /* é: "unknown language '" is 18 bytes, then pairs */
        tovrik_options *options = NULL;
        const tovrik_status got =
            tovrik_options_new_ex(TOVRIK_UNITS_SMS, TOVRIK_MODE_SPACE, 0, NULL,
                                  TOVRIK_REPLACE_NEVER, languages, &options, &error);
        expect("a long unknown language", got, &error, TOVRIK_ERROR_ARGUMENT, "unknown language");
        if (strlen(error.message) != TOVRIK_MESSAGE_SIZE - 2) {
            printf("FAIL a long message cut inside a character: %zu bytes\n",
                   strlen(error.message));
            ++failures;
        }
    }
    static const char *const edges[] = {"Hello world, the end", "ending in \xE2\x82",
                                        "€€€ 👍🏽", "a b c d e f. g"};
    tovrik_options *sms_concat = NULL;
    tovrik_options_new(TOVRIK_UNITS_SMS_CONCAT, TOVRIK_MODE_PERIOD, 0, "%t %k/%n", &sms_concat,
                       NULL);
    for (size_t i = 0; i < sizeof edges / sizeof edges[0]; ++i) {
        const size_t length = strlen(edges[i]);
        char *text = pages + page - length;
        memcpy(text, edges[i], length);
        tovrik_split(splitter, plain, text, length, NULL);
        tovrik_split(splitter, numbered, text, length, NULL);
        tovrik_split(splitter, sms_concat, text, length, NULL);
    }
    tovrik_options_free(sms_concat);
    munmap(pages, 2 * (size_t)page);

    check_own_output_cut_again();

    /* Every status has a message. */
    for (int code = TOVRIK_OK; code <= TOVRIK_ERROR_INTERNAL + 1; ++code)
        if (!tovrik_status_message((tovrik_status)code)[0]) {
            printf("FAIL status %d has no message\n", code);
            ++failures;
        }
    if (strcmp(tovrik_encoding_name(TOVRIK_UCS2), "UCS-2") != 0 ||
        tovrik_encoding_name((tovrik_encoding)2) != NULL) {
        printf("FAIL encoding names\n");
        ++failures;
    }

    tovrik_splitter_free(splitter);
    tovrik_options_free(plain);
    tovrik_options_free(numbered);
    printf("%s\n", failures ? "FAILED" : "all cases passed");
    return failures ? 1 : 0;
}
