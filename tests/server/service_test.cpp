// zendalo-lookupd as a whole: started as a process, asked by curl and by raw TCP clients.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <thread>

#include "lookup/text_between.h"
#include "support/text/text.h"
#include "tests/server/harness.h"

namespace zendalo::testing {
namespace {

const std::string kProgramAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// The two pieces the program cuts out of a page, the way it cuts them (code page 936 bytes).
struct PagePieces {
    std::string address;
    std::string region;
};

PagePieces Cut(const std::string& page) {
    const Text text(page);
    Text addressLeft("["), addressRight("]");
    Text regionLeft(Gbk("来自：")), regionRight("</c");
    return {std::string(TextBetween(text, addressLeft, addressRight).View()),
            std::string(TextBetween(text, regionLeft, regionRight).View())};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> ServiceArguments(std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments = {"--listen", "127.0.0.1:0", "--db", DemoDatabasePath()};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return arguments;
}

TEST(LookupService, PageHoldsTheLoopbackCallerBetweenTheMarkers) {
    ServiceProcess service(ServiceArguments());
    ASSERT_TRUE(service.Ready()) << service.Messages();

    const HttpResponse page = Curl({service.Url()});
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.Header("Content-Type"), "text/html; charset=gbk");
    EXPECT_NE(page.Header("Cache-Control").value_or("").find("no-store"), std::string::npos);
    EXPECT_EQ(page.Header("Pragma"), "no-cache");
    EXPECT_EQ(page.body, Gbk("<!DOCTYPE html>\n"
                             "<html lang=\"zh-CN\"><head><meta charset=\"gbk\"><title>公网地址</title></head>\n"
                             "<body><center>您的公网地址：[127.0.0.1]</center>\n"
                             "<center>来自：本机回环地址</center></body></html>\n"));
    const PagePieces pieces = Cut(page.body);
    EXPECT_EQ(pieces.address, "127.0.0.1");
    EXPECT_EQ(pieces.region, Gbk("本机回环地址"));

    RawClient headClient("127.0.0.1", service.Port());
    headClient.Send("HEAD /ic.asp HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    const HttpResponse head = ParseResponse(headClient.ReadToEnd(10s));
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.Header("Content-Type"), "text/html; charset=gbk");
    EXPECT_EQ(head.Header("Content-Length"), std::to_string(page.body.size()));
    EXPECT_TRUE(head.body.empty());
}

TEST(LookupService, AnswersTheProgramsHttp10RequestAndCloses) {
    ServiceProcess service(ServiceArguments());
    ASSERT_TRUE(service.Ready()) << service.Messages();

    RawClient client("127.0.0.1", service.Port());
    ASSERT_TRUE(client.Connected());
    client.Send("GET /ic.asp HTTP/1.0\r\nUser-Agent: " + kProgramAgent + "\r\nAccept: */*\r\nHost: 127.0.0.1:" +
                std::to_string(service.Port()) + "\r\n\r\n");
    const HttpResponse response = ParseResponse(client.ReadToEnd(10s));
    EXPECT_TRUE(client.ClosedByServer());
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.Header("Content-Length"), std::to_string(response.body.size()));
    EXPECT_EQ(Cut(response.body).address, "127.0.0.1");
    EXPECT_EQ(Cut(response.body).region, Gbk("本机回环地址"));

    ASSERT_EQ(service.Stop(), 0);
    EXPECT_NE(service.AccessLog().find(" 127.0.0.1 127.0.0.1 \"GET /ic.asp HTTP/1.0\" 200 " +
                                       std::to_string(response.body.size()) + " \"" + kProgramAgent + "\""),
              std::string::npos)
        << service.AccessLog();
}

TEST(LookupService, OtherPathsAreNotFoundAndOtherMethodsNotAllowed) {
    ServiceProcess service(ServiceArguments());
    ASSERT_TRUE(service.Ready()) << service.Messages();

    struct Case {
        std::vector<std::string> options;
        std::string path;
        int status;
    };
    const Case cases[] = {
        {{}, "/", 404},
        {{}, "/index.html", 404},
        {{}, "/ic.asp/", 404},
        {{}, "/IC.ASP", 404},
        {{}, "/ic.aspx", 404},
        {{"--head"}, "/other", 404},
        {{"-X", "POST", "--data", "a=1"}, "/other", 404},
        {{}, "/ic.asp?from=test", 200},
        {{"-X", "POST", "--data", "a=1"}, "/ic.asp", 405},
        {{"-X", "PUT", "--data", "a=1"}, "/ic.asp", 405},
        {{"-X", "DELETE"}, "/ic.asp", 405},
        {{"-X", "PATCH"}, "/ic.asp", 405},
        {{"-X", "OPTIONS"}, "/ic.asp", 405},
        {{"-X", "TRACE"}, "/ic.asp", 405},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.options;
        arguments.push_back(service.Url(c.path));
        const HttpResponse response = Curl(arguments);
        SCOPED_TRACE(c.path + " " + (c.options.empty() ? "GET" : c.options.front() + " " + c.options.back()));
        EXPECT_EQ(response.status, c.status);
        if (c.status == 405) {
            EXPECT_EQ(response.Header("Allow"), "GET, HEAD");
        }
        // The program cuts whatever body comes back: an error page must give it nothing.
        if (c.status != 200) {
            EXPECT_EQ(response.body.find('['), std::string::npos) << response.body;
        }
    }
}

TEST(LookupService, ForwardedForIsBelievedFromTrustedProxiesOnly) {
    ServiceProcess trusting(ServiceArguments({"--trusted-proxy", "127.0.0.0/8", "--trusted-proxy=10.0.0.0/8",
                                              "--trusted-proxy", "2001:db8:ffff::/48"}));
    ServiceProcess untrusting(ServiceArguments());
    ASSERT_TRUE(trusting.Ready()) << trusting.Messages();
    ASSERT_TRUE(untrusting.Ready()) << untrusting.Messages();

    struct Case {
        const char* what;
        bool viaTrustedProxy;
        std::vector<std::string> headers;  // each a whole header line
        std::string address;
        std::string region;  // UTF-8
    };
    const Case cases[] = {
        {"forged by a client", false, {"X-Forwarded-For: 1.0.1.1"}, "127.0.0.1", "本机回环地址"},
        {"forged chain", false, {"X-Forwarded-For: 1.0.1.1, 8.8.8.8"}, "127.0.0.1", "本机回环地址"},
        {"from a trusted proxy", true, {"X-Forwarded-For: 1.0.1.1"}, "1.0.1.1", "中国 福建省 福州市"},
        {"chain: rightmost wins", true, {"X-Forwarded-For: 8.8.8.8, 1.0.1.1"}, "1.0.1.1", "中国 福建省 福州市"},
        {"chain through trusted hops", true, {"X-Forwarded-For: 1.0.1.1, 10.0.0.7, 10.2.0.1"}, "1.0.1.1",
         "中国 福建省 福州市"},
        {"IPv6 trusted hop", true, {"X-Forwarded-For: 8.8.8.8, 2001:db8:ffff::2"}, "8.8.8.8", "美国"},
        {"only trusted hops", true, {"X-Forwarded-For: 10.0.0.7"}, "10.0.0.7", "内网地址"},
        {"two headers", true, {"X-Forwarded-For: 8.8.8.8", "X-Forwarded-For: 1.0.1.1"}, "1.0.1.1",
         "中国 福建省 福州市"},
        {"trusted hop in the second header", true, {"X-Forwarded-For: 1.0.1.1", "X-Forwarded-For: 10.0.0.7"},
         "1.0.1.1", "中国 福建省 福州市"},
        {"IPv6 client", true, {"X-Forwarded-For: 2001:db8:1::5"}, "2001:db8:1::5", "中国 上海市"},
        {"IPv6 client with port", true, {"X-Forwarded-For: [2001:db8:1::5]:4711"}, "2001:db8:1::5", "中国 上海市"},
        {"IPv4 client with port", true, {"X-Forwarded-For: 1.0.1.1:4711"}, "1.0.1.1", "中国 福建省 福州市"},
        {"IPv4-mapped client", true, {"X-Forwarded-For: ::ffff:1.0.1.1"}, "1.0.1.1", "中国 福建省 福州市"},
        {"empty elements", true, {"X-Forwarded-For: 1.0.1.1,, ,"}, "1.0.1.1", "中国 福建省 福州市"},
        {"garbage", true, {"X-Forwarded-For: not-an-address"}, "127.0.0.1", "本机回环地址"},
        {"garbage right of a client", true, {"X-Forwarded-For: 1.0.1.1, unknown"}, "127.0.0.1", "本机回环地址"},
        {"garbage left of the client", true, {"X-Forwarded-For: <script>, 1.0.1.1"}, "1.0.1.1",
         "中国 福建省 福州市"},
        {"garbage after a trusted hop", true, {"X-Forwarded-For: 1.0.1.1, [fe80::1%eth0], 10.0.0.7"}, "10.0.0.7",
         "内网地址"},
        {"empty header", true, {"X-Forwarded-For;"}, "127.0.0.1", "本机回环地址"},
        {"other headers are not read", true, {"X-Real-IP: 1.0.1.1", "Forwarded: for=1.0.1.1"}, "127.0.0.1",
         "本机回环地址"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> arguments;
        for (const std::string& header : c.headers) {
            arguments.push_back("-H");
            arguments.push_back(header);
        }
        arguments.push_back((c.viaTrustedProxy ? trusting : untrusting).Url());
        const HttpResponse response = Curl(arguments);
        ASSERT_EQ(response.status, 200);
        EXPECT_EQ(Cut(response.body).address, c.address);
        EXPECT_EQ(Cut(response.body).region, Gbk(c.region));
        EXPECT_EQ(response.body.find("<script>"), std::string::npos);
    }

    ASSERT_EQ(trusting.Stop(), 0);
    // The log names the connection's peer and the client the page named.
    EXPECT_NE(trusting.AccessLog().find(" 127.0.0.1 2001:db8:1::5 \"GET /ic.asp HTTP/1.1\" 200 "), std::string::npos);
}

TEST(LookupService, RegionsFromTheDatabase) {
    ServiceProcess service(ServiceArguments({"--trusted-proxy", "127.0.0.1"}));
    ServiceProcess withoutDatabase({"--listen", "127.0.0.1:0", "--trusted-proxy", "127.0.0.1"});
    ASSERT_TRUE(service.Ready()) << service.Messages();
    ASSERT_TRUE(withoutDatabase.Ready()) << withoutDatabase.Messages();

    struct Case {
        const char* what;
        std::string client;
        std::string region;  // UTF-8; what the program is to show, entities and all
        bool withDatabase = true;
    };
    const Case cases[] = {
        {"country, province and city", "1.0.1.1", "中国 福建省 福州市"},
        {"city named like its province", "1.2.4.8", "中国 北京市"},
        {"country and subdivision", "133.1.2.3", "日本 东京都"},
        {"only a country code", "8.8.8.8", "美国"},
        {"only a country code", "1.1.1.1", "澳大利亚"},
        {"only the registered country", "198.51.100.4", "日本"},
        {"a code ICU does not know, English name", "198.51.100.6", "Nowhere 甲省 乙市"},
        {"English names only", "198.51.100.3", "Atlantis Poseidonia"},
        {"a character GBK cannot hold", "198.51.100.1", "泰国 曼谷?"},
        {"markup in a name", "198.51.100.2", "&lt;b&gt;]&amp;[&lt;/c&gt;"},
        {"a line break in a name", "203.0.113.5", "日本 Line break"},
        {"IPv6 network", "240e:1::1", "中国"},
        {"no place in the record", "198.51.100.5", "未知地区"},
        {"not in the database", "9.9.9.9", "未知地区"},
        {"not in the database (IPv6)", "2a00::1", "未知地区"},
        {"loopback", "127.0.0.2", "本机回环地址"},
        {"IPv6 loopback", "::1", "本机回环地址"},
        {"private", "192.168.1.10", "内网地址"},
        {"private", "172.20.0.1", "内网地址"},
        {"carrier NAT", "100.64.0.1", "内网地址"},
        {"unique local IPv6", "fd00::1", "内网地址"},
        {"link-local", "169.254.3.4", "链路本地地址"},
        {"link-local IPv6", "fe80::1", "链路本地地址"},
        {"no database", "1.0.1.1", "未知地区", false},
        {"no database, private", "10.1.1.1", "内网地址", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " " + c.client);
        const HttpResponse response =
            Curl({"-H", "X-Forwarded-For: " + c.client, (c.withDatabase ? service : withoutDatabase).Url()});
        ASSERT_EQ(response.status, 200);
        const PagePieces pieces = Cut(response.body);
        EXPECT_EQ(pieces.address, c.client);
        EXPECT_EQ(pieces.region, Gbk(c.region));
        EXPECT_NE(response.body.find("</center></body></html>\n"), std::string::npos) << "page cut short";
    }
}

TEST(LookupService, ServesIpv6AndShowsMappedIpv4AsIpv4) {
    if (!HasIpv6Loopback()) GTEST_SKIP() << "no IPv6 loopback on this machine";
    ServiceProcess service({"--listen", "[::1]:0", "--listen", "[::ffff:127.0.0.1]:0", "--db", DemoDatabasePath(),
                            "--trusted-proxy", "127.0.0.1/32"});
    ASSERT_TRUE(service.Ready()) << service.Messages();
    ASSERT_EQ(service.Listening().size(), 2u);

    const HttpResponse overIpv6 = Curl({"-g", service.Url("/ic.asp", 0)});
    EXPECT_EQ(Cut(overIpv6.body).address, "::1");
    EXPECT_EQ(Cut(overIpv6.body).region, Gbk("本机回环地址"));

    // An IPv4 client of an IPv6 socket arrives as ::ffff:127.0.0.1: shown, and trusted, as IPv4.
    const std::string mappedUrl = "http://127.0.0.1:" + std::to_string(service.Port(1)) + "/ic.asp";
    EXPECT_EQ(Cut(Curl({mappedUrl}).body).address, "127.0.0.1");
    EXPECT_EQ(Cut(Curl({"-H", "X-Forwarded-For: 1.0.1.1", mappedUrl}).body).address, "1.0.1.1");
}

TEST(LookupService, RefusesOversizedRequestsAndGoesOn) {
    ServiceProcess service(ServiceArguments());
    ASSERT_TRUE(service.Ready()) << service.Messages();

    struct Case {
        const char* what;
        std::string request;
        int status;
    };
    std::string manyHeaders = "GET /ic.asp HTTP/1.1\r\nHost: x\r\n";
    for (int i = 0; i < 100; ++i) manyHeaders += "X-Filler-" + std::to_string(i) + ": " + std::string(1000, 'a') + "\r\n";
    manyHeaders += "\r\n";
    const Case cases[] = {
        {"100 KB of headers", manyHeaders, 431},
        {"a long target", "GET /ic.asp?" + std::string(10000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n", 414},
        {"a request line without end", "GET /ic.asp?" + std::string(100000, 'a'), 414},
        {"one header line too long", "GET /ic.asp HTTP/1.1\r\nX-Long: " + std::string(20000, 'a') + "\r\n\r\n", 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawClient client("127.0.0.1", service.Port());
        ASSERT_TRUE(client.Connected());
        client.Send(c.request);
        const HttpResponse response = ParseResponse(client.ReadToEnd(10s));
        EXPECT_EQ(response.status, c.status);
        EXPECT_TRUE(client.ClosedByServer());
        EXPECT_EQ(Curl({service.Url()}).status, 200) << "the service goes on";
    }
}

TEST(LookupService, SlowClientsNeitherBlockOthersNorStayForever) {
    ServiceProcess service(ServiceArguments());
    ASSERT_TRUE(service.Ready()) << service.Messages();

    // One client stops in the middle of its headers, another sends a byte every half second.
    RawClient stalled("127.0.0.1", service.Port());
    ASSERT_TRUE(stalled.Send("GET /ic.asp HTTP/1.1\r\nHost: x\r\n"));
    RawClient trickling("127.0.0.1", service.Port());
    std::thread trickle([&trickling] {
        const std::string request = "GET /ic.asp HTTP/1.1\r\nUser-Agent: " + std::string(40, 's') + "\r\n\r\n";
        for (const char c : request) {
            if (!trickling.Send(std::string_view(&c, 1))) return;
            std::this_thread::sleep_for(500ms);
        }
    });

    for (int i = 0; i < 5; ++i) EXPECT_EQ(Curl({"--max-time", "3", service.Url()}).status, 200);

    // Five seconds of silence end the first; the second gets ten seconds for its whole request.
    const HttpResponse stalledAnswer = ParseResponse(stalled.ReadToEnd(15s));
    EXPECT_EQ(stalledAnswer.status, 408);
    EXPECT_TRUE(stalled.ClosedByServer());
    const HttpResponse trickledAnswer = ParseResponse(trickling.ReadToEnd(15s));
    EXPECT_EQ(trickledAnswer.status, 408);
    EXPECT_TRUE(trickling.ClosedByServer());
    trickle.join();
}

TEST(LookupService, ManyClientsAtOnce) {
    ServiceProcess service(ServiceArguments());
    ASSERT_TRUE(service.Ready()) << service.Messages();

    constexpr int kClients = 120;
    std::vector<std::string> arguments = {"curl", "-s", "--max-time", "20", "--parallel", "--parallel-max", "60",
                                          "-w", "%{http_code}\\n"};
    for (int i = 0; i < kClients; ++i) {
        arguments.insert(arguments.end(), {"-o", "/dev/null", service.Url()});
    }
    const ProcessResult result = RunProcess(arguments, 60s);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> statuses = Lines(result.out);
    EXPECT_EQ(statuses.size(), static_cast<std::size_t>(kClients));
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "200"), kClients);

    ASSERT_EQ(service.Stop(), 0);
    EXPECT_EQ(Lines(service.AccessLog()).size(), static_cast<std::size_t>(kClients)) << "one line per request";
}

TEST(LookupService, StopsCleanlyOnSigtermAndLogsEveryRequest) {
    ServiceProcess service(ServiceArguments());
    ASSERT_TRUE(service.Ready()) << service.Messages();

    EXPECT_EQ(Curl({"-A", "agent \"quoted\"\x01", service.Url()}).status, 200);
    EXPECT_EQ(Curl({service.Url("/missing")}).status, 404);
    RawClient garbled("127.0.0.1", service.Port());
    garbled.Send("NONSENSE\r\n\r\n");
    EXPECT_EQ(ParseResponse(garbled.ReadToEnd(10s)).status, 400);
    // A client still sending when the stop comes: the stop waits for it, within the time-outs.
    RawClient unfinished("127.0.0.1", service.Port());
    unfinished.Send("GET /ic.asp HTTP/1.1\r\n");
    std::this_thread::sleep_for(200ms);

    EXPECT_EQ(service.Stop(15s), 0);
    EXPECT_NE(service.Messages().find("zendalo-lookupd: stopped\n"), std::string::npos) << service.Messages();
    const std::vector<std::string> log = Lines(service.AccessLog());
    ASSERT_EQ(log.size(), 4u) << service.AccessLog();
    EXPECT_NE(log[0].find(" 127.0.0.1 127.0.0.1 \"GET /ic.asp HTTP/1.1\" 200 "), std::string::npos) << log[0];
    EXPECT_NE(log[0].find("\"agent \\x22quoted\\x22\\x01\""), std::string::npos) << log[0];
    EXPECT_NE(log[1].find(" \"GET /missing HTTP/1.1\" 404 "), std::string::npos) << log[1];
    EXPECT_NE(log[2].find(" 127.0.0.1 - \"-\" 400 "), std::string::npos) << log[2];
    EXPECT_NE(log[3].find(" 127.0.0.1 127.0.0.1 \"GET /ic.asp HTTP/1.1\" 408 "), std::string::npos) << log[3];
}

TEST(LookupService, CommandLineErrorsAreClear) {
    const TempDir dir;
    WriteFile(dir.File("not-a-database.mmdb"), "just text\n");
    ServiceProcess holder({"--listen", "127.0.0.1:0"});
    ASSERT_TRUE(holder.Ready()) << holder.Messages();
    const std::string taken = holder.Listening().at(0);

    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {{"--bogus"}, 2, "unknown option '--bogus'"},
        {{"stray"}, 2, "unexpected argument 'stray'"},
        {{"--listen"}, 2, "--listen needs a value"},
        {{"--listen", "127.0.0.1"}, 2, "bad --listen '127.0.0.1'"},
        {{"--listen", "::1:80"}, 2, "bad --listen '::1:80'"},
        {{"--listen", "127.0.0.1:65536"}, 2, "bad --listen"},
        {{"--listen", "localhost:80"}, 2, "bad --listen"},
        {{"--trusted-proxy", "10.0.0.0/33"}, 2, "bad --trusted-proxy '10.0.0.0/33'"},
        {{"--db", "a.mmdb", "--db", "b.mmdb"}, 2, "--db given twice"},
        {{"--listen", "127.0.0.1:0", "--db", dir.File("missing.mmdb")}, 1,
         "cannot use the region database " + dir.File("missing.mmdb")},
        {{"--listen", "127.0.0.1:0", "--db", dir.File("not-a-database.mmdb")}, 1, "cannot use the region database"},
        {{"--listen", "127.0.0.1:0", "--db", dir.Path()}, 1, "cannot use the region database"},
        {{"--listen", taken}, 1, "cannot listen on " + taken + ": Address already in use"},
        {{"--listen", "127.0.0.1:0", "--listen", taken}, 1, "cannot listen on " + taken},
    };
    for (const Case& c : cases) {
        std::vector<std::string> command = {LookupdPath()};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        const ProcessResult result = RunProcess(command, 20s);
        SCOPED_TRACE(c.message);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE(result.err.find("zendalo-lookupd: " + c.message), std::string::npos) << result.err;
        if (c.exitCode == 2) {
            EXPECT_NE(result.err.find("Try 'zendalo-lookupd --help'."), std::string::npos);
        }
    }
    // The missing file is named with the system's reason.
    EXPECT_NE(RunProcess({LookupdPath(), "--db", dir.File("missing.mmdb")}).err.find("No such file or directory"),
              std::string::npos);

    const ProcessResult help = RunProcess({LookupdPath(), "--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--listen ADDRESS:PORT", "--db FILE.mmdb", "--trusted-proxy CIDR", "--help"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
}

TEST(ServeLookupPageScript, StartsAnswersRefusesASecondAndStops) {
    const TempDir dir;
    const std::string script = SourceDir() + "/scripts/serve-lookup-page";
    const std::vector<std::string> where = {"--build-dir", BuildDir(), "--pid-file", dir.File("pid"), "--log",
                                            dir.File("log")};
    std::vector<std::string> start = {"bash", script, "--listen", "127.0.0.1:0"};
    start.insert(start.end(), where.begin(), where.end());
    std::vector<std::string> stop = {"bash", script, "--stop"};
    stop.insert(stop.end(), where.begin(), where.end());

    const ProcessResult started = RunProcess(start, 120s);
    ASSERT_EQ(started.exitCode, 0) << started.err;
    const std::string pid = started.out.substr(0, started.out.find('\n'));
    EXPECT_EQ(started.out, pid + "\n") << "the pid alone";
    EXPECT_EQ(ReadFile(dir.File("pid")), pid + "\n");
    EXPECT_EQ(ReadFile("/proc/" + pid + "/comm"), "zendalo-lookupd\n");
    const auto urlStart = started.err.find("http://");
    ASSERT_NE(urlStart, std::string::npos) << started.err;
    const std::string url = started.err.substr(urlStart, started.err.find(' ', urlStart) - urlStart);
    EXPECT_EQ(Cut(Curl({url}).body).region, Gbk("本机回环地址"));

    const ProcessResult second = RunProcess(start, 120s);
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("already runs (pid " + pid + ")"), std::string::npos) << second.err;

    const ProcessResult stopped = RunProcess(stop, 60s);
    EXPECT_EQ(stopped.exitCode, 0) << stopped.err;
    EXPECT_NE(ReadFile(dir.File("log")).find("zendalo-lookupd: stopped\n"), std::string::npos);
    EXPECT_NE(::kill(std::stoi(pid), 0), 0) << "still running";
    EXPECT_FALSE(std::filesystem::exists(dir.File("pid")));

    // A service that cannot start is reported with its own message.
    std::vector<std::string> badDatabase = start;
    badDatabase.insert(badDatabase.end(), {"--db", dir.File("missing.mmdb")});
    const ProcessResult failed = RunProcess(badDatabase, 120s);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.err.find("zendalo-lookupd: cannot use the region database"), std::string::npos) << failed.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("pid")));
}

TEST(RegionDatabaseScript, SameTableSameBytes) {
    const TempDir dir;
    const std::string script = SourceDir() + "/scripts/make-region-db";
    ASSERT_EQ(RunProcess({"perl", script, dir.File("first.mmdb")}).exitCode, 0);
    std::this_thread::sleep_for(1100ms);  // a build time taken from the clock would now differ
    ASSERT_EQ(RunProcess({"perl", script, dir.File("second.mmdb")}).exitCode, 0);
    const std::string first = ReadFile(dir.File("first.mmdb"));
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, ReadFile(dir.File("second.mmdb")));
}

}  // namespace
}  // namespace zendalo::testing
