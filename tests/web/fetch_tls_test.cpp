// The fetch over TLS on the system's WinInet, against the HTTPS servers that the test fixture
// runs on 127.0.0.1 (tls_server.py): one on port 443 whose certificate comes from a CA the
// Wine prefix has been made to trust, one whose certificate nothing trusts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <windows.h>

#include "support/web/fetch.h"
#include "support/web/web_access.h"
#include "tests/text_printing.h"

namespace zendalo {
namespace {

// A file of the fixture's folder (ZENDALO_TEST_TLS_DIR, a Linux path) as Wine reaches it.
std::string FixtureFile(const std::string& name) {
    const char* directory = std::getenv("ZENDALO_TEST_TLS_DIR");
    return std::string("Z:") + (directory == nullptr ? "" : directory) + "/" + name;
}

std::string ReadFixtureFile(const std::string& name) {
    std::ifstream file(FixtureFile(name), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The server writes a connection's outcome from its own thread once the connection is over, which
// may be a little after the fetch returned (or, if the client keeps the socket open, when the
// server's 10 s read timeout ends it): wait for a line about the named server.
std::string WaitForOutcomeOf(const std::string& server) {
    std::string log;
    for (int waited = 0; waited < 20000; waited += 50) {
        log = ReadFixtureFile("connections.log");
        if (log.find(server + ": ") != std::string::npos) break;
        ::Sleep(50);
    }
    return log;
}

std::string AsString(const ByteSet& bytes) { return {bytes.Bytes().begin(), bytes.Bytes().end()}; }

class FetchTlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("ZENDALO_TEST_TLS_DIR"), nullptr) << "run through ctest: the fixture starts the servers";
    }
};

TEST_F(FetchTlsTest, AnHttpsUrlWithoutAPortIsFetchedOverTlsOnPort443) {
    const std::string body = AsString(FetchUrl(Text("https://localhost/ic.asp")));
    // The server answers with what it received, after a marker only it sends.
    EXPECT_TRUE(body.starts_with("over TLS\nGET /ic.asp HTTP/1.0\r\n")) << body;
    EXPECT_NE(body.find("\r\nUser-Agent: " + std::string(WebAccess::kAgent) + "\r\n"), std::string::npos) << body;
    EXPECT_NE(body.find("\r\nAccept: */*\r\n"), std::string::npos) << body;
    EXPECT_NE(body.find("\r\nHost: localhost\r\n"), std::string::npos) << body;
}

TEST_F(FetchTlsTest, AnUntrustedCertificateGivesNothing) {
    const std::string port = ReadFixtureFile("untrusted.port");
    ASSERT_FALSE(port.empty());
    EXPECT_TRUE(FetchUrl(Text("https://localhost:" + port + "/ic.asp")).Empty());
    // The server was reached, and the client left before it sent its request: the certificate,
    // not the connection, ended the fetch.
    const std::string log = WaitForOutcomeOf("untrusted");
    EXPECT_TRUE(log.find("untrusted: closed without a request") != std::string::npos ||
                log.find("untrusted: handshake or connection failed") != std::string::npos)
        << log;
    EXPECT_EQ(log.find("untrusted: served"), std::string::npos) << log;
}

}  // namespace
}  // namespace zendalo
