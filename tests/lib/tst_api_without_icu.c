/* A broken installation, where ICU cannot be loaded (the test runs with a
 * junk libicuuc first on LD_LIBRARY_PATH): a cut that needs a grapheme
 * boundary fails with a message naming the library, and one that needs none
 * still works. */
#include <tovrik/tovrik.h>

#include <stdio.h>
#include <string.h>

int main(void) {
    tovrik_options *options = NULL;
    tovrik_splitter *splitter = NULL;
    tovrik_error error;
    if (tovrik_options_new(TOVRIK_UNITS_SMS, TOVRIK_MODE_EXACT, 160, NULL, &options, &error) ||
        tovrik_splitter_new(&splitter, &error)) {
        printf("FAIL setting up: %s\n", error.message);
        return 1;
    }
    int failures = 0;
    const char *latin = "plain words need no grapheme finder";
    if (tovrik_split(splitter, options, latin, strlen(latin), &error) != TOVRIK_OK ||
        tovrik_part_count(splitter) != 1) {
        printf("FAIL latin text: %s\n", error.message);
        ++failures;
    }
    /* 80 Devanagari letters: a cut between two of them asks ICU. */
    char devanagari[3 * 80 + 1] = "";
    for (int i = 0; i < 80; ++i)
        strcat(devanagari, "\xE0\xA4\xA8");
    const tovrik_status status =
        tovrik_split(splitter, options, devanagari, strlen(devanagari), &error);
    if (status != TOVRIK_ERROR_INTERNAL || !strstr(error.message, "cannot load libicuuc.so.") ||
        tovrik_part_count(splitter) != 0) {
        printf("FAIL devanagari: status %d, '%s'\n", (int)status, error.message);
        ++failures;
    }
    tovrik_splitter_free(splitter);
    tovrik_options_free(options);
    printf("%s\n", failures ? "FAILED" : "all cases passed");
    return failures ? 1 : 0;
}
