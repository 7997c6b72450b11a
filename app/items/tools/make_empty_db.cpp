// Writes the empty item database that ships with the program: table Items without the two
// columns the program adds itself at start-up.

#include "ItemDatabase.h"
#include "ItemSchema.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <new database file>\n", argv[0]);
        return 2;
    }
    gw::DbError error;
    auto db = gw::Database::create(QString::fromLocal8Bit(argv[1]), &error);
    if (!db) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description));
        return 1;
    }
    try {
        gw::createItemsTable(*db, false);
    } catch (const gw::DbException& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
