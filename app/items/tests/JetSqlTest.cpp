// Translation of the engine dialect and structured criteria.

#include "ItemDatabase.h"
#include "JetSql.h"

#include <gtest/gtest.h>

using gw::Criteria;
using gw::translateJet;

TEST(JetSql, TranslatesFixedTexts)
{
    struct Case {
        const char* jet;
        const char* sql;
        QVariantList params;
        QStringList columns;
    };
    const Case cases[] = {
        {"UPDATE ITEMS SET ImageLocation = 'Left' WHERE IsNull(ImageLocation)",
         "UPDATE ITEMS SET ImageLocation = ? WHERE ((ImageLocation) IS NULL)",
         {QStringLiteral("Left")}, {QStringLiteral("ImageLocation")}},
        {"SELECT Items.ID From Items WHERE (((Items.Active)=Yes)) ORDER BY ID;",
         "SELECT Items.ID From Items WHERE (((Items.Active)=1)) ORDER BY ID;", {}, {}},
        {"x WHERE (((Items.Active)=No))", "x WHERE (((Items.Active)=0))", {}, {}},
        {"EbayID LIKE '12*' And (([ShortDescription] LIKE \"*lamp*\") OR ([Description] LIKE \"*lamp*\")) ",
         "EbayID LIKE ? ESCAPE '\\' And ((\"ShortDescription\" LIKE ? ESCAPE '\\') OR (\"Description\" LIKE ? ESCAPE '\\')) ",
         {QStringLiteral("12%"), QStringLiteral("%lamp%"), QStringLiteral("%lamp%")},
         {QString(), QString(), QString()}},
        {"UPDATE Items SET Category = \"A \"\"big\"\" one\", BuyerEmail = 'o''neil' WHERE EbayId = '5';",
         "UPDATE Items SET Category = ?, BuyerEmail = ? WHERE EbayId = ?;",
         {QStringLiteral("A \"big\" one"), QStringLiteral("o'neil"), QStringLiteral("5")},
         {QStringLiteral("Category"), QStringLiteral("BuyerEmail"), QStringLiteral("EbayId")}},
        {"BuyerName LIKE '100%_off?'", "BuyerName LIKE ? ESCAPE '\\'", {QStringLiteral("100\\%\\_off_")}, {QString()}},
        {"IsNull( Cost ) And Not IsNull(x)", "(( Cost ) IS NULL) And Not ((x) IS NULL)", {}, {}},
    };
    for (const Case& c : cases) {
        const gw::SqlText t = translateJet(QString::fromLatin1(c.jet));
        EXPECT_EQ(t.sql, QString::fromLatin1(c.sql)) << c.jet;
        EXPECT_EQ(t.params, c.params) << c.jet;
        EXPECT_EQ(t.paramColumns, c.columns) << c.jet;
    }
}

TEST(JetSql, PlaceholdersTakeExtraValuesInOrder)
{
    const gw::SqlText t = translateJet(QStringLiteral("UPDATE Items SET LastPrice = ?, Category = 'x' WHERE EbayId = ?"),
                                       {QStringLiteral("1.50"), QStringLiteral("77")});
    EXPECT_EQ(t.params, (QVariantList{QStringLiteral("1.50"), QStringLiteral("x"), QStringLiteral("77")}));
    EXPECT_EQ(t.paramColumns, (QStringList{QStringLiteral("LastPrice"), QStringLiteral("Category"), QStringLiteral("EbayId")}));
    EXPECT_THROW(translateJet(QStringLiteral("a = ?")), gw::DbException);
    EXPECT_THROW(translateJet(QStringLiteral("a = ?"), {1, 2}), gw::DbException);
}

TEST(JetSql, MalformedTextIsRefused)
{
    for (const char* bad : {"a = 'open", "a = \"open", "[Open = 1"})
        EXPECT_THROW(translateJet(QString::fromLatin1(bad)), gw::DbException) << bad;
}

TEST(JetSql, PatternConversion)
{
    EXPECT_EQ(gw::jetPatternToLike(QStringLiteral("*a?b#")), QStringLiteral("%a_b_"));
    EXPECT_EQ(gw::jetPatternToLike(QStringLiteral("50%_\\")), QStringLiteral("50\\%\\_\\\\"));
    EXPECT_EQ(gw::jetPatternToLike(QStringLiteral("a[*]b[?]")), QStringLiteral("a*b?"));
}

TEST(Criteria, BuildsBoundSql)
{
    const QStringList cols = {QStringLiteral("EbayID"), QStringLiteral("ShortDescription"), QStringLiteral("Cost")};
    const Criteria c = Criteria::like(QStringLiteral("ebayid"), QStringLiteral("12*"))
                       && (Criteria::equals(QStringLiteral("Cost"), QStringLiteral("1.5"))
                           || Criteria::isNull(QStringLiteral("ShortDescription")));
    const gw::SqlText t = c.toSql(cols);
    EXPECT_EQ(t.sql, QStringLiteral("(\"EbayID\" LIKE ? ESCAPE '\\' AND (\"Cost\" = ? OR (\"ShortDescription\" IS NULL)))"));
    EXPECT_EQ(t.params, (QVariantList{QStringLiteral("12%"), QStringLiteral("1.5")}));
    EXPECT_EQ(t.paramColumns, (QStringList{QString(), QStringLiteral("Cost")}));
    EXPECT_THROW(Criteria::equals(QStringLiteral("Nope; DROP TABLE Items"), 1).toSql(cols), gw::DbException);
    EXPECT_TRUE(Criteria::text(QStringLiteral("  ")).isEmpty());
}
