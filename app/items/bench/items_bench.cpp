// Speed figures of the item database on 100,000 items: opening the All view (with the move
// to the last record for the count), single steps, and a find over the descriptions.

#include "ItemBrowser.h"
#include "ItemDatabase.h"
#include "ItemSchema.h"

#include "core/SettingsStore.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace gw;

namespace {

constexpr int Items = 100000;

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

bool fill(Database& db)
{
    sqlite3* h = db.handle();
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h,
                       "INSERT INTO Items (EbayID, ShortDescription, Description, Reserve, MinBid, "
                       "DateAuctionStarted, DateAuctionEnds, Active, ImageLocation) "
                       "VALUES (?, ?, ?, 100000, 10000, '2000-05-01T10:00:00', '2000-05-08T10:00:00', ?, 'Left')",
                       -1, &st, nullptr);
    for (int i = 1; i <= Items; ++i) {
        const QByteArray id = QByteArray::number(100000000 + i);
        const QByteArray title = "Item number " + QByteArray::number(i);
        QByteArray body = "A fine old thing in good condition, lot " + QByteArray::number(i)
                          + ". Ships from the shop the next day after payment clears.";
        if (i == Items - 10)
            body += " Genuine brass needle lamp.";
        sqlite3_bind_text(st, 1, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, title.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, body.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 4, i % 3 == 0 ? 0 : 1);
        if (sqlite3_step(st) != SQLITE_DONE)
            return false;
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    return sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

void report(const char* what, std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    double sum = 0;
    for (double s : samples)
        sum += s;
    std::printf("%-44s mean %8.3f ms   median %8.3f ms   max %8.3f ms   (%zu runs)\n", what,
                sum / double(samples.size()), samples[samples.size() / 2], samples.back(), samples.size());
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gw2.mdb"));
    SettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
    setSettings(&store);

    QElapsedTimer t;
    t.start();
    {
        DbError e;
        auto db = Database::create(path, &e);
        if (!db) {
            std::fprintf(stderr, "create failed: %s\n", qPrintable(e.description));
            return 1;
        }
        createItemsTable(*db, true);
        if (!fill(*db)) {
            std::fprintf(stderr, "fill failed\n");
            return 1;
        }
    }
    std::printf("built %d items in %.0f ms\n", Items, ms(t));

    std::vector<double> open, next, previous, find, findNext, findShort;
    for (int run = 0; run < 5; ++run) {
        t.restart();
        DbError e;
        auto db = Database::open(path, OpenMode::Shared, &e);
        ItemBrowser browser(*db);
        browser.selectView(ItemView::All);
        open.push_back(ms(t));
        if (browser.total() != QString::number(Items)) {
            std::fprintf(stderr, "unexpected total %s\n", qPrintable(browser.total()));
            return 1;
        }
        for (int i = 0; i < 200; ++i) {
            t.restart();
            browser.moveNext();
            next.push_back(ms(t));
        }
        for (int i = 0; i < 200; ++i) {
            t.restart();
            browser.movePrevious();
            previous.push_back(ms(t));
        }
        if (run == 0) // moving over unchanged records must not write
            std::printf("rows written while stepping: %d\n", sqlite3_total_changes(db->handle()));
        const Criteria needle = Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("*needle*"))
                                || Criteria::like(QStringLiteral("Description"), QStringLiteral("*needle*"));
        t.restart();
        browser.find(needle, true);
        find.push_back(ms(t));
        if (browser.position() != QString::number(Items - 10)) {
            std::fprintf(stderr, "find landed at %s\n", qPrintable(browser.position()));
            return 1;
        }
        t.restart();
        browser.find(needle, false); // no further match: scans the rest
        findNext.push_back(ms(t));
        // Too short for the text index: the engine scans the table.
        const Criteria shortText = Criteria::like(QStringLiteral("Description"), QStringLiteral("*mp*"));
        browser.goToPosition(Items - 100);
        t.restart();
        browser.find(shortText, true);
        findShort.push_back(ms(t));
    }
    report("open + All view (count by move to last)", open);
    report("Next step", next);
    report("Previous step", previous);
    report("find first over descriptions (match near end)", find);
    report("find next, no further match", findNext);
    report("find first, 2-letter text (no index, scan)", findShort);
    setSettings(nullptr);
    return 0;
}
