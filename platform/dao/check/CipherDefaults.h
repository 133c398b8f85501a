/* The settings of the engine's cipher that the checker's page reader
 * (Pages.cpp) implements: the build refuses an engine whose defaults differ
 * (CipherDefaultsProbe.c), and the checker reads pages itself only when the
 * engine it runs with still has them. C, for the build's probe. */
#ifndef CORVANE_CIPHER_DEFAULTS_H
#define CORVANE_CIPHER_DEFAULTS_H

#include <sqlite3.h>

/* The first of the engine's settings on db (a keyed connection) that is
 * not the page reader's; null when none is. */
static inline const char *cipherSettingThatDiffers(sqlite3 *db)
{
    static const struct {
        const char *pragma, *value;
        int named; /* 0: engines that do not know the pragma keep our value */
    } settings[] = {
        {"PRAGMA cipher", "AES-256-CBC", 1},
        {"PRAGMA kdf_iter", "64000", 1},
        {"PRAGMA fast_kdf_iter", "2", 1},
        {"PRAGMA cipher_page_size", "1024", 1},
        /* An HMAC in each page: with the IV, 48 bytes kept at its end. */
        {"PRAGMA cipher_use_hmac", "1", 1},
        {"PRAGMA cipher_hmac_salt_mask", "3a", 1},
        {"PRAGMA cipher_hmac_pgno", "le", 1},
        /* Named by later versions, whose defaults are others. */
        {"PRAGMA cipher_hmac_algorithm", "HMAC_SHA1", 0},
        {"PRAGMA cipher_kdf_algorithm", "PBKDF2_HMAC_SHA1", 0},
        {"PRAGMA cipher_plaintext_header_size", "0", 0},
    };
    for (unsigned i = 0; i < sizeof settings / sizeof settings[0]; ++i) {
        sqlite3_stmt *s = 0;
        int differs = 1;
        if (sqlite3_prepare_v2(db, settings[i].pragma, -1, &s, 0) == SQLITE_OK) {
            const int rc = sqlite3_step(s);
            if (rc == SQLITE_ROW) {
                const unsigned char *v = sqlite3_column_text(s, 0);
                differs = !v || sqlite3_stricmp((const char *)v, settings[i].value) != 0;
            } else {
                differs = rc != SQLITE_DONE || settings[i].named;
            }
        }
        sqlite3_finalize(s);
        if (differs)
            return settings[i].pragma;
    }
    return 0;
}

#endif
