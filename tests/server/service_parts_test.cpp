// The service's own texts: the page, GBK conversion, country names, options and log lines.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <variant>
#include <vector>

#include "server/access_log.h"
#include "server/gbk.h"
#include "server/lookup_page.h"
#include "server/options.h"
#include "tests/server/harness.h"

namespace zendalo {
namespace {

using testing::Gbk;

TEST(Utf8ToGbk, ConvertsAndReplacesWhatGbkCannotHold) {
    struct Case {
        std::string utf8;
        std::string gbk;
    };
    const Case cases[] = {
        {"", ""},
        {"abc [1.2.3.4]", "abc [1.2.3.4]"},
        {"来自：", "\xC0\xB4\xD7\xD4\xA3\xBA"},
        {"中国 福建省 福州市", Gbk("中国 福建省 福州市")},
        {"曼谷😀", Gbk("曼谷") + "?"},            // outside GBK
        {"ไทย", "???"},                            // Thai script
        {"a\xFF" "b", "a?b"},                      // not UTF-8
        {"\xE4\xB8", "?"},                         // a character cut short
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.utf8;
}

TEST(ChineseCountryName, FromTheCodeThroughIcu) {
    EXPECT_EQ(ChineseCountryName("JP"), "日本");
    EXPECT_EQ(ChineseCountryName("us"), "美国");
    EXPECT_EQ(ChineseCountryName("CN"), "中国");
    for (const char* unknown : {"", "J", "JPN", "J1", "XQ", "\xE4\xB8"}) EXPECT_EQ(ChineseCountryName(unknown), "") << unknown;
}

TEST(LookupPage, MarkersHoldTheirPiecesWhateverTheRegionSays) {
    const std::string page = LookupPage("2001:db8::1", "<b>]&[</c>\n\x01\"x\"");
    const std::string gbkRegionMarker = Gbk("来自：");
    // The first "[" and the first region marker are the page's own.
    const auto open = page.find('[');
    EXPECT_EQ(page.substr(open + 1, page.find(']', open) - open - 1), "2001:db8::1");
    const auto regionStart = page.find(gbkRegionMarker) + gbkRegionMarker.size();
    EXPECT_LT(open, regionStart);
    EXPECT_EQ(page.substr(regionStart, page.find("</c", regionStart) - regionStart),
              "&lt;b&gt;]&amp;[&lt;/c&gt;  &quot;x&quot;");
    EXPECT_TRUE(page.ends_with("</center></body></html>\n"));
}

TEST(HtmlText, EscapesMarkupAndBlanksControls) {
    EXPECT_EQ(HtmlText("a<b>&\"c\""), "a&lt;b&gt;&amp;&quot;c&quot;");
    EXPECT_EQ(HtmlText(std::string("x\0y\tz\x7f", 6)), "x y z ");
    EXPECT_EQ(HtmlText("福州市 [x]"), "福州市 [x]");
}

TEST(Options, ReadsEveryOptionInBothForms) {
    const ParsedOptions parsed =
        ParseOptions({"--listen", "0.0.0.0:8080", "--listen=[::1]:0", "--db", "regions.mmdb",
                      "--trusted-proxy=10.0.0.0/8", "--trusted-proxy", "2001:db8::/32"});
    const auto* options = std::get_if<ServiceOptions>(&parsed);
    ASSERT_TRUE(options);
    ASSERT_EQ(options->listen.size(), 2u);
    EXPECT_EQ(ToString(options->listen[0]), "0.0.0.0:8080");
    EXPECT_EQ(ToString(options->listen[1]), "[::1]:0");
    EXPECT_EQ(options->databasePath, "regions.mmdb");
    ASSERT_EQ(options->trustedProxies.size(), 2u);
    EXPECT_EQ(options->trustedProxies[1].ToString(), "2001:db8::/32");

    const auto defaults = std::get<ServiceOptions>(ParseOptions({}));
    ASSERT_EQ(defaults.listen.size(), 1u);
    EXPECT_EQ(ToString(defaults.listen[0]), "127.0.0.1:80");
    EXPECT_FALSE(defaults.databasePath);
    EXPECT_TRUE(defaults.trustedProxies.empty());

    EXPECT_TRUE(std::holds_alternative<HelpRequest>(ParseOptions({"--db", "x", "--help"})));
    EXPECT_TRUE(std::holds_alternative<HelpRequest>(ParseOptions({"-h"})));
}

TEST(Options, ListenAddresses) {
    struct Case {
        std::string text;
        std::string parsed;  // empty: refused
    };
    const Case cases[] = {
        {"127.0.0.1:80", "127.0.0.1:80"},
        {"[::]:80", "[::]:80"},
        {"[::ffff:127.0.0.1]:0", "[::ffff:127.0.0.1]:0"},
        {"[2001:DB8::1]:65535", "[2001:DB8::1]:65535"},
        {"127.0.0.1", ""},
        {"127.0.0.1:", ""},
        {":80", ""},
        {"127.0.0.1:-1", ""},
        {"127.0.0.1:65536", ""},
        {"127.0.0.1:8o", ""},
        {"::1:80", ""},
        {"[127.0.0.1]:80", ""},
        {"[::1]", ""},
        {"localhost:80", ""},
        {"*:80", ""},
    };
    for (const Case& c : cases) {
        const auto listen = ParseListenAddress(c.text);
        EXPECT_EQ(listen ? ToString(*listen) : "", c.parsed) << c.text;
    }
}

TEST(Options, MistakesAreNamed) {
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{"--port", "80"}, "unknown option '--port'"},
        {{"80"}, "unexpected argument '80'"},
        {{"--db"}, "--db needs a value"},
        {{"--db="}, "--db needs a file name"},
        {{"--db", "a", "--db", "b"}, "--db given twice"},
        {{"--listen", "nowhere"}, "bad --listen 'nowhere': expected ADDRESS:PORT, e.g. 127.0.0.1:80 or [::1]:80"},
        {{"--trusted-proxy", "10.0.0.0/40"}, "bad --trusted-proxy '10.0.0.0/40': expected an address or CIDR block, e.g. 10.0.0.0/8"},
    };
    for (const Case& c : cases) {
        const ParsedOptions parsed = ParseOptions(c.arguments);
        const auto* error = std::get_if<OptionError>(&parsed);
        ASSERT_TRUE(error) << c.message;
        EXPECT_EQ(error->message, c.message);
    }
}

TEST(AccessLine, QuotesWhatTheClientWrote) {
    AccessRecord record;
    record.time = std::chrono::system_clock::time_point(std::chrono::milliseconds(1735689600123));
    record.peer = "10.0.0.1";
    record.client = "2001:db8::5";
    record.method = "GET";
    record.target = "/ic.asp?a=\"b\"\n";
    record.version = "HTTP/1.1";
    record.status = 200;
    record.bytes = 191;
    record.userAgent = "agent\\\x7f\xC0";
    EXPECT_EQ(FormatAccessLine(record),
              "2025-01-01T00:00:00.123Z 10.0.0.1 2001:db8::5 \"GET /ic.asp?a=\\x22b\\x22\\x0A HTTP/1.1\" 200 191 "
              "\"agent\\x5C\\x7F\\xC0\"");

    AccessRecord unread;
    unread.time = record.time;
    unread.peer = "127.0.0.1";
    unread.status = 408;
    EXPECT_EQ(FormatAccessLine(unread), "2025-01-01T00:00:00.123Z 127.0.0.1 - \"-\" 408 0 \"-\"");
}

}  // namespace
}  // namespace zendalo
