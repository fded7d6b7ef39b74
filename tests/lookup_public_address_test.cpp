#include "lookup/lookup_public_address.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/text_printing.h"

namespace zendalo {
namespace {

using namespace std::string_literals;

const Text kPageUrl = "http://lookup.test/ic.asp";

// Serves one page and remembers what was asked.
struct PageStandIn {
    std::string body;
    std::vector<std::string> requestedUrls;

    PageFetcher Fetcher() {
        return [this](const Text& url) {
            requestedUrls.emplace_back(url.View());
            return ByteSet(body);
        };
    }
};

struct PageCase {
    const char* what;
    std::string body;
    Text address;
    Text region;
};

TEST(LookupPublicAddress, CutsBothValuesFromTheWholePage) {
    const PageCase cases[] = {
        {"both values, nothing trimmed", "<p>您的IP是：[ 1.2.3.4 ] 来自： 中国 福建省 福州市 </center></p>",
         " 1.2.3.4 ", " 中国 福建省 福州市 "},
        {"no [", "1.2.3.4] 来自：X省</center>", "", "X省"},
        {"[ without ]", "[1.2.3.4 来自：X省</center>", "", "X省"},
        {"no region marker", "[1.2.3.4] X省</center>", "1.2.3.4", ""},
        {"ASCII colon", "[1.2.3.4] 来自:X省</center>", "1.2.3.4", ""},
        {"region marker without </c after it", "[1.2.3.4] </center>来自：X省", "1.2.3.4", ""},
        {"upper-case </C", "[1.2.3.4] 来自：X省</CENTER>", "1.2.3.4", "X省"},
        {"zero byte before the region", "[1.2.3.4]\0来自：X省</c"s, "1.2.3.4", ""},
        {"zero byte before everything", "\0[1.2.3.4]来自：X省</c"s, "", ""},
        {"markers with nothing between", "[]来自：</c", "", ""},
        {"an earlier [ wins", "<b>[提示]</b> [1.2.3.4] 来自：X省</c", "提示", "X省"},
        {"[ as second byte of a character", "\xB0[1.2.3.4] [5.6.7.8] 来自：X省</c", "5.6.7.8", "X省"},
        {"region before the address", "来自：X省</c [1.2.3.4]", "1.2.3.4", "X省"},
        {"empty page", "", "", ""},
        {"not code page 936", "[1.2.3.4] \xE6\x9D\xA5\xE8\x87\xAA\xEF\xBC\x9AX</c", "1.2.3.4", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PageStandIn page{c.body, {}};
        Text address = "old address";
        Text region = "old region";
        LookupPublicAddress(kPageUrl, page.Fetcher(), &address, &region);
        EXPECT_EQ(address, c.address);
        EXPECT_EQ(region, c.region);
        EXPECT_EQ(page.requestedUrls, std::vector<std::string>{"http://lookup.test/ic.asp"});
    }
}

TEST(LookupPublicAddress, LeavesAnOutputThatIsNotSuppliedUntouched) {
    PageStandIn page{"[1.2.3.4] 来自：X省</c", {}};
    Text address = "kept";
    Text region = "kept";
    LookupPublicAddress(kPageUrl, page.Fetcher(), nullptr, &region);
    EXPECT_EQ(region, Text("X省"));
    LookupPublicAddress(kPageUrl, page.Fetcher(), &address, nullptr);
    EXPECT_EQ(address, Text("1.2.3.4"));
    EXPECT_EQ(region, Text("X省"));
    EXPECT_EQ(page.requestedUrls.size(), 2u);  // every lookup fetches again
}

}  // namespace
}  // namespace zendalo
