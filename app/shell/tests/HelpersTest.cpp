#include "ScriptedPrompt.h"
#include "core/Helpers.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace gw;

namespace {

std::string s(const QString& q)
{
    return q.toStdString();
}

TEST(PathHelpers, Table)
{
    struct Case {
        QString path, fileName, folder;
    };
    const std::vector<Case> cases = {
        {"C:\\pics\\x.jpg", "x.jpg", "C:\\pics\\"},
        {"/home/me/pics/x.jpg", "x.jpg", "/home/me/pics/"},
        {"x.jpg", "x.jpg", ""},
        {"", "", ""},
        {"C:\\pics\\", "", "C:\\pics\\"},
        {"mixed/dir\\file.gif", "file.gif", "mixed/dir\\"},
        {"mixed\\dir/file.gif", "file.gif", "mixed\\dir/"},
        {"\\", "", "\\"},
        {"/", "", "/"},
        {"C:", "C:", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileNameOfPath(c.path), c.fileName) << s(c.path);
        EXPECT_EQ(FolderOfPath(c.path), c.folder) << s(c.path);
    }
}

TEST(ReplaceHelpers, Table)
{
    struct Case {
        QString text, search, replacement, first, all;
    };
    const std::vector<Case> cases = {
        {"aaa", "a", "aa", "aaaa", "aaaaaa"},  // a replacement is never scanned again
        {"abcabc", "bc", "X", "aXabc", "aXaX"},
        {"abc", "z", "X", "abc", "abc"},
        {"", "a", "X", "", ""},
        {"abab", "abab", "", "", ""},
        {"Case case", "case", "x", "Case x", "Case x"}, // case-sensitive
        {"aaaa", "aa", "a", "aaa", "aa"},              // no overlap
        {"x<br>y<br>", "<br>", "\r\n", "x\r\ny<br>", "x\r\ny\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplaceFirst(c.text, c.search, c.replacement), c.first) << s(c.text) << "/" << s(c.search);
        EXPECT_EQ(ReplaceAll(c.text, c.search, c.replacement), c.all) << s(c.text) << "/" << s(c.search);
    }
    // An empty search text: ReplaceFirst puts the replacement in front; ReplaceAll leaves it.
    EXPECT_EQ(ReplaceFirst("abc", "", "X"), "Xabc");
    EXPECT_EQ(ReplaceAll("abc", "", "X"), "abc");
}

TEST(ReplaceChar, Table)
{
    EXPECT_EQ(ReplaceChar("a b c", ' ', "%20"), "a%20b%20c");
    EXPECT_EQ(ReplaceChar("\"q\"", '"', "\"\""), "\"\"q\"\"");
    EXPECT_EQ(ReplaceChar("abc", 'z', "y"), "abc");
    EXPECT_EQ(ReplaceChar("aXa", 'a', ""), "X");
    EXPECT_EQ(ReplaceChar("", 'a', "b"), "");
}

TEST(HtmlColor, Table)
{
    struct Case {
        quint32 value;
        const char* html;
    };
    const Case cases[] = {
        {0, "000000"},       {255, "FF0000"},      {0xFF0000, "0000FF"}, {15, "0F0000"},
        {0x00FF00, "00FF00"}, {0x123456, "563412"}, {0xFFFFFF, "FFFFFF"}, {0xAB, "AB0000"},
        {0x0A0B0C, "0C0B0A"}, {0x80000005u, "050000"}, // high byte (system colours) ignored
    };
    for (const Case& c : cases)
        EXPECT_EQ(HtmlColor(c.value), QString(c.html)) << c.value;
}

TEST(ReadTextFile, LineEndsBecomeCrLf)
{
    QTemporaryDir dir;
    struct Case {
        QByteArray content;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"a\nb\n", "a\r\nb\r\n\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\rb", "a\r\nb\r\n"},
        {"a", "a\r\n"},
        {"", ""},
        {"\r\n", "\r\n"},
        {"a\n\r\nb", "a\r\n\r\nb\r\n"},
        {"x\r\n\r\ny", "x\r\n\r\ny\r\n"},
        {"caf\xc3\xa9\n", QString::fromUtf8("caf\xc3\xa9\r\n\r\n")},
        {"caf\xe9", QString::fromLatin1("caf\xe9\r\n")}, // not UTF-8: Latin-1
    };
    int i = 0;
    for (const Case& c : cases) {
        const QString path = dir.filePath(QString::number(i++));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.content);
        f.close();
        EXPECT_EQ(ReadTextFile(path), c.expected) << c.content.toStdString();
    }
    EXPECT_EQ(ReadTextFile(""), "");
    EXPECT_EQ(ReadTextFile(dir.filePath("missing.txt")), "");
    EXPECT_EQ(ReadTextFile(dir.path()), ""); // a folder is not readable as a file
}

// A clock that plays back a list of readings; past its end it fails the test and jumps far
// ahead so that a wrong wait cannot hang.
struct FakeClock {
    std::vector<double> readings;
    std::size_t next = 0;
    int events = 0;
    double operator()()
    {
        if (next < readings.size())
            return readings[next++];
        ADD_FAILURE() << "Pause read the clock more often than expected";
        return 1e9;
    }
};

TEST(Pause, WaitsOnTheTimeOfDayClockAndProcessesEvents)
{
    struct Case {
        const char* name;
        double seconds;
        std::vector<double> readings;
        int events; // turns of the wait
    };
    const std::vector<Case> cases = {
        {"plain", 1.0, {100.0, 100.0, 100.4, 100.99, 101.0}, 3},
        {"fraction", 0.25, {5.0, 5.1, 5.3}, 1},
        {"zero", 0.0, {7.0, 7.0}, 0},
        {"across midnight", 1.0, {86399.5, 86399.9, 0.2, 0.4, 0.5}, 3},
        {"midnight at once", 2.0, {86399.0, 0.5, 1.0}, 1},
    };
    for (const Case& c : cases) {
        FakeClock clock{c.readings};
        Pause(c.seconds, [&] { return clock(); }, [&] { ++clock.events; });
        EXPECT_EQ(clock.next, c.readings.size()) << c.name;
        EXPECT_EQ(clock.events, c.events) << c.name;
    }
}

TEST(OpenInBrowser, GoesThroughThePrompt)
{
    test::ScriptedPrompt p;
    OpenInBrowser("/tmp/listing.htm");
    OpenInBrowser("http://www.usps.example/cttgate/");
    EXPECT_EQ(p.browserOpenings(), QStringList({"/tmp/listing.htm", "http://www.usps.example/cttgate/"}));
}

} // namespace
