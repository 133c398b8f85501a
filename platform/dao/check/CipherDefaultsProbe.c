/* Run by the build: exits 0 when the engine we link has the cipher defaults
 * the checker's page reader implements, and frees pages by overwriting them
 * (secure_delete), so that no page of a base it writes is ever left
 * unwritten, which the checker would take for damage. Prints what differs. */
#include "CipherDefaults.h"

#include <stdio.h>

int main(void)
{
    sqlite3 *db = 0;
    sqlite3_stmt *s = 0;
    const char *differs = 0;
    int secureDelete = 0;
    if (sqlite3_open(":memory:", &db) != SQLITE_OK || sqlite3_key(db, "probe", 5) != SQLITE_OK) {
        printf("the engine cannot key a connection\n");
        return 1;
    }
    differs = cipherSettingThatDiffers(db);
    if (sqlite3_prepare_v2(db, "PRAGMA secure_delete", -1, &s, 0) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
        secureDelete = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(db);
    if (differs) {
        printf("%s\n", differs);
        return 1;
    }
    if (secureDelete != 1) {
        printf("PRAGMA secure_delete\n");
        return 1;
    }
    return 0;
}
