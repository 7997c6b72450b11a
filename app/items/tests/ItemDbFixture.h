#pragma once
// A fresh item database in its own temporary folder for each test.

#include "ItemDatabase.h"
#include "ItemSchema.h"
#include "RecordSet.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QVariant& v, std::ostream* os)
{
    *os << (v.isNull() ? std::string("null") : v.toString().toStdString()) << " (" << v.typeName() << ')';
}
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '[' << l.join(QStringLiteral(" | ")).toStdString() << ']';
}

namespace gw::test {

class ItemDbFixture : public ::testing::Test {
protected:
    // The delivered table has 36 columns; most tests want the upgraded 38.
    void makeDatabase(bool withLaterColumns = true)
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("gw2.mdb"));
        DbError error;
        auto created = Database::create(path, &error);
        ASSERT_TRUE(created) << qPrintable(error.description);
        createItemsTable(*created, withLaterColumns);
        created.reset();
        db = Database::open(path, OpenMode::Shared, &error);
        ASSERT_TRUE(db) << qPrintable(error.description);
    }

    void SetUp() override { makeDatabase(); }
    void TearDown() override { db.reset(); }

    // Inserts an item with a short description (and optional extra columns), returns its ID.
    qint64 addItem(const QString& shortDescription, const QVariantMap& extra = {})
    {
        auto rs = db->openRecordSet(QStringLiteral("Select * from Items Order by ID"));
        rs->addNew();
        rs->setValue(QStringLiteral("ShortDescription"), shortDescription);
        for (auto it = extra.begin(); it != extra.end(); ++it)
            rs->setValue(it.key(), it.value());
        rs->update();
        rs->moveLast();
        return rs->value(QStringLiteral("ID")).toLongLong();
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<Database> db;
};

} // namespace gw::test
