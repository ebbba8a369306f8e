/* libtovrik from several threads at once, as its header allows: one options
 * object per way of cutting, shared by every thread, and a splitter per
 * thread. Every thread's results must equal those of one thread alone. */
#include <tovrik/tovrik.h>

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { Threads = 6, Rounds = 40, Messages = 64, OptionSets = 5 };

static const char *const words[] = {
    "Hello",     "world.", "€uro",     "[bracket]", "Привет", "👨‍👩‍👧‍👦",
    "e\xCC\x81", "中文。", "line\r\n", "x",         "naïve",  "🇳🇴",
    "tab\t",     "end!",   "{~}",      "the",
};

static char messages[Messages][2048];
static size_t lengths[Messages];
static tovrik_options *options[OptionSets];

/* A cut message flattened into bytes: segments, encoding, then per part its
 * offset, length, encoding, units and text. */
typedef struct {
    char bytes[32768];
    size_t size;
} summary;

static summary expected[OptionSets][Messages];

static void add(summary *s, const void *data, size_t size) {
    if (s->size + size > sizeof s->bytes) {
        fprintf(stderr, "summary too small\n");
        abort();
    }
    memcpy(s->bytes + s->size, data, size);
    s->size += size;
}

static int summarize(tovrik_splitter *splitter, int set, int message, summary *s) {
    s->size = 0;
    tovrik_error error;
    if (tovrik_split(splitter, options[set], messages[message], lengths[message], &error) !=
        TOVRIK_OK) {
        add(s, error.message, strlen(error.message));
        return 0;
    }
    const size_t segments = tovrik_segments(splitter);
    const tovrik_encoding encoding = tovrik_message_encoding(splitter);
    add(s, &segments, sizeof segments);
    add(s, &encoding, sizeof encoding);
    for (size_t i = 0; i < tovrik_part_count(splitter); ++i) {
        tovrik_part part;
        if (tovrik_get_part(splitter, i, &part, &error) != TOVRIK_OK)
            return -1;
        add(s, &part.offset, sizeof part.offset);
        add(s, &part.length, sizeof part.length);
        add(s, &part.encoding, sizeof part.encoding);
        add(s, &part.units, sizeof part.units);
        add(s, part.text, part.text_length);
    }
    return 1;
}

static void *work(void *arg) {
    const int id = (int)(size_t)arg;
    tovrik_splitter *splitter = NULL;
    if (tovrik_splitter_new(&splitter, NULL) != TOVRIK_OK)
        return (void *)1;
    size_t mismatches = 0;
    summary *s = malloc(sizeof *s);
    for (int round = 0; round < Rounds; ++round)
        for (int k = 0; k < OptionSets * Messages; ++k) {
            /* Each thread walks the cases in an order of its own. */
            const int c = (k * 7 + id * 13 + round) % (OptionSets * Messages);
            const int set = c / Messages;
            const int message = c % Messages;
            summarize(splitter, set, message, s);
            if (s->size != expected[set][message].size ||
                memcmp(s->bytes, expected[set][message].bytes, s->size) != 0)
                ++mismatches;
        }
    free(s);
    tovrik_splitter_free(splitter);
    return (void *)mismatches;
}

int main(void) {
    unsigned seed = 17;
    for (int m = 0; m < Messages; ++m) {
        size_t n = 0;
        const int count = 1 + m / 2;
        for (int w = 0; w < count; ++w) {
            seed = seed * 1103515245u + 12345u;
            const char *word = words[(seed >> 16) % (sizeof words / sizeof words[0])];
            n += (size_t)sprintf(messages[m] + n, "%s%s", w ? " " : "", word);
        }
        lengths[m] = n;
    }
    const struct {
        tovrik_units units;
        tovrik_mode mode;
        int limit;
        const char *format;
    } sets[OptionSets] = {
        {TOVRIK_UNITS_CHARACTERS, TOVRIK_MODE_SPACE, 25, NULL},
        {TOVRIK_UNITS_CHARACTERS, TOVRIK_MODE_EXACT, 9, "%k/%n %t"},
        {TOVRIK_UNITS_SMS, TOVRIK_MODE_PERIOD, 0, NULL},
        {TOVRIK_UNITS_SMS_CONCAT, TOVRIK_MODE_SPACE, 0, "(%k/%n) %t"},
        {TOVRIK_UNITS_SMS_CONCAT, TOVRIK_MODE_EXACT, 0, NULL},
    };
    for (int i = 0; i < OptionSets; ++i)
        if (tovrik_options_new(sets[i].units, sets[i].mode, sets[i].limit, sets[i].format,
                               &options[i], NULL) != TOVRIK_OK)
            return 1;

    tovrik_splitter *alone = NULL;
    tovrik_splitter_new(&alone, NULL);
    size_t parts = 0;
    for (int set = 0; set < OptionSets; ++set)
        for (int m = 0; m < Messages; ++m) {
            if (summarize(alone, set, m, &expected[set][m]) < 0)
                return 1;
            parts += tovrik_part_count(alone);
        }
    tovrik_splitter_free(alone);

    pthread_t threads[Threads];
    for (int t = 0; t < Threads; ++t)
        pthread_create(&threads[t], NULL, work, (void *)(size_t)t);
    size_t mismatches = 0;
    for (int t = 0; t < Threads; ++t) {
        void *result = NULL;
        pthread_join(threads[t], &result);
        mismatches += (size_t)result;
    }
    for (int i = 0; i < OptionSets; ++i)
        tovrik_options_free(options[i]);
    printf("%d threads x %d rounds x %d cases (%zu parts in one round): %zu mismatches\n", Threads,
           Rounds, OptionSets * Messages, parts, mismatches);
    return mismatches == 0 && parts > (size_t)(OptionSets * Messages) ? 0 : 1;
}
