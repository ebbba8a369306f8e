/* Cuts the message on standard input with libtovrik and lists its parts.
 *
 *   cc example.c $(pkg-config --cflags --libs tovrik) -o example
 *   printf 'Hello world' | ./example chars space 5
 *   printf 'Hello world' | ./example concat space 0 '%k/%n %t'
 *   printf 'Çağrı “merkezi”' | ./example concat space 0 - when-cheaper tr
 *
 * Arguments: units (chars, sms or concat), mode (space, exact or period),
 * limit (used with chars), and optionally a numbering format ("-" for
 * none), a look-alike replacement (never, when-cheaper or always) and
 * national languages ("tr,es"). Writes
 *
 *   message: ENCODING, S segments, P parts
 *   shift: LOCKING SINGLE                      (with national tables; - for none)
 *   replaced: R, sent N bytes: TEXT            (when replacement was asked for)
 *   non-GSM-7: C listed, M more: U+XXXX ...    (for a UCS-2 message)
 *   part K: ENCODING, U units, offset O, length L, N bytes: TEXT
 *
 * where offset and length place the unnumbered piece in the sent text and
 * TEXT (N bytes) is the part as sent.
 */
#include <tovrik/tovrik.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char *read_all(FILE *in, size_t *size) {
    size_t capacity = 4096;
    char *data = malloc(capacity);
    *size = 0;
    while (data) {
        *size += fread(data + *size, 1, capacity - *size, in);
        if (*size < capacity)
            break;
        capacity *= 2;
        char *bigger = realloc(data, capacity);
        if (!bigger)
            free(data);
        data = bigger;
    }
    return data;
}

int main(int argc, char **argv) {
    if (argc < 4) {
        fprintf(stderr,
                "usage: %s chars|sms|concat space|exact|period LIMIT [FORMAT|- [REPLACE "
                "[LANGUAGES]]]\n",
                argv[0]);
        return 2;
    }
    const char *format = argc > 4 && strcmp(argv[4], "-") != 0 ? argv[4] : NULL;
    tovrik_replace replace = argc <= 5                              ? TOVRIK_REPLACE_NEVER
                             : strcmp(argv[5], "when-cheaper") == 0 ? TOVRIK_REPLACE_WHEN_CHEAPER
                             : strcmp(argv[5], "always") == 0       ? TOVRIK_REPLACE_ALWAYS
                                                                    : TOVRIK_REPLACE_NEVER;
    const char *languages = argc > 6 ? argv[6] : NULL;
    tovrik_units units = strcmp(argv[1], "sms") == 0      ? TOVRIK_UNITS_SMS
                         : strcmp(argv[1], "concat") == 0 ? TOVRIK_UNITS_SMS_CONCAT
                                                          : TOVRIK_UNITS_CHARACTERS;
    tovrik_mode mode = strcmp(argv[2], "exact") == 0    ? TOVRIK_MODE_EXACT
                       : strcmp(argv[2], "period") == 0 ? TOVRIK_MODE_PERIOD
                                                        : TOVRIK_MODE_SPACE;
    tovrik_error error;
    tovrik_options *options = NULL;
    if (tovrik_options_new_ex(units, mode, atoi(argv[3]), format, replace, languages, &options,
                              &error) != TOVRIK_OK) {
        fprintf(stderr, "example: %s\n", error.message);
        return 1;
    }
    tovrik_splitter *splitter = NULL;
    if (tovrik_splitter_new(&splitter, &error) != TOVRIK_OK) {
        fprintf(stderr, "example: %s\n", error.message);
        tovrik_options_free(options);
        return 1;
    }

    size_t size = 0;
    char *message = read_all(stdin, &size);
    int status = 0;
    if (!message) {
        fprintf(stderr, "example: out of memory\n");
        status = 1;
    } else if (tovrik_split(splitter, options, message, size, &error) != TOVRIK_OK) {
        fprintf(stderr, "example: %s (code %d)\n", error.message, (int)error.code);
        status = 1;
    } else {
        size_t count = tovrik_part_count(splitter);
        printf("message: %s, %zu segments, %zu parts\n",
               tovrik_encoding_name(tovrik_message_encoding(splitter)), tovrik_segments(splitter),
               count);
        if (*tovrik_shift_locking(splitter) || *tovrik_shift_single(splitter))
            printf("shift: %s %s\n",
                   *tovrik_shift_locking(splitter) ? tovrik_shift_locking(splitter) : "-",
                   *tovrik_shift_single(splitter) ? tovrik_shift_single(splitter) : "-");
        if (replace != TOVRIK_REPLACE_NEVER) {
            size_t length = 0;
            const char *sent = tovrik_sent_text(splitter, &length);
            printf("replaced: %zu, sent %zu bytes: ", tovrik_replaced(splitter), length);
            fwrite(sent, 1, length, stdout);
            putchar('\n');
        }
        if (tovrik_message_encoding(splitter) == TOVRIK_UCS2) {
            printf("non-GSM-7: %zu listed, %zu more:", tovrik_non_gsm7_count(splitter),
                   tovrik_non_gsm7_more(splitter));
            for (size_t i = 0; i < tovrik_non_gsm7_count(splitter); ++i) {
                size_t length = 0;
                const unsigned char *c =
                    (const unsigned char *)tovrik_non_gsm7(splitter, i, &length);
                /* The code point of the character's UTF-8 bytes. */
                unsigned long code = length == 1 ? c[0] : c[0] & (0x7F >> length);
                for (size_t k = 1; k < length; ++k)
                    code = code << 6 | (c[k] & 0x3F);
                printf(" U+%04lX", code);
            }
            putchar('\n');
        }
        for (size_t i = 0; i < count; ++i) {
            tovrik_part part;
            tovrik_get_part(splitter, i, &part, NULL);
            printf("part %zu: %s, %zu units, offset %zu, length %zu, %zu bytes: ", i + 1,
                   tovrik_encoding_name(part.encoding), part.units, part.offset, part.length,
                   part.text_length);
            fwrite(part.text, 1, part.text_length, stdout);
            putchar('\n');
        }
    }
    free(message);
    tovrik_splitter_free(splitter);
    tovrik_options_free(options);
    return status;
}
