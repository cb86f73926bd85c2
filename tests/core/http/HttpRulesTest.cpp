#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/Redirects.h"
#include "http/ResponseHead.h"

namespace velmora {
namespace {

using Kind = BodyFraming::Kind;

BodyFraming framingOf(const std::string& fields) {
    return ResponseHead::parse("HTTP/1.1 200 OK\r\n" + fields + "\r\n").framing();
}

TEST(ResponseHeadTest, OnlyAHeadThatTellsOneEndOfItsBodyFramesIt) {
    EXPECT_EQ(framingOf(""), (BodyFraming{Kind::UntilClose}));
    EXPECT_EQ(framingOf("Content-Length: 0\r\n"), (BodyFraming{Kind::Length, 0}));
    EXPECT_EQ(framingOf("content-length:  18446744073709551615 \r\n"),
              (BodyFraming{Kind::Length, 18446744073709551615u}));
    EXPECT_EQ(framingOf("Content-Length: 7, 7\r\nContent-Length: 7\r\n"),
              (BodyFraming{Kind::Length, 7}));
    EXPECT_EQ(framingOf("Content-Length:\r\n 7\r\n"), (BodyFraming{Kind::Length, 7}))
        << "a folded line goes on with its field";
    EXPECT_EQ(framingOf("Transfer-Encoding: Chunked\r\n"), (BodyFraming{Kind::Chunked}));

    for (const std::string fields :
         {"Content-Length: 18446744073709551623\r\n", "Content-Length: -5\r\n",
          "Content-Length: +5\r\n", "Content-Length: 5x\r\n", "Content-Length: 0x10\r\n",
          "Content-Length: \r\n", "Content-Length: 5\r\nContent-Length: 6\r\n",
          "Content-Length: 5, 6\r\n", "Content-Length : 5\r\n",
          "Transfer-Encoding: chunked\r\nContent-Length: 5\r\n", "Transfer-Encoding: gzip\r\n",
          "Transfer-Encoding: gzip, chunked\r\n",
          "Transfer-Encoding: chunked\r\n"
          "Transfer-Encoding: chunked\r\n",
          "Transfer-Encoding : chunked\r\n", "Transfer-Encoding: identity\r\n"}) {
        EXPECT_EQ(framingOf(fields).kind, Kind::Broken) << fields;
    }
}

TEST(ResponseHeadTest, ARedirectIsOneOfFiveStatusesWithALocation) {
    const auto head = [](int status, const std::string& fields) {
        return ResponseHead::parse("HTTP/1.1 " + std::to_string(status) + " X\r\n" + fields +
                                   "\r\nContent-Length: 0\r\n\r\n");
    };
    for (const int status : {301, 302, 303, 307, 308}) {
        EXPECT_EQ(head(status, "location: /next").redirectLocation(), "/next") << status;
        EXPECT_EQ(head(status, "Server: x").redirectLocation(), std::nullopt) << status;
    }
    for (const int status : {200, 300, 304, 305, 404}) {
        EXPECT_EQ(head(status, "Location: /next").redirectLocation(), std::nullopt) << status;
    }
    EXPECT_EQ(head(302, "Location: /next").status(), 302);
    EXPECT_EQ(ResponseHead::parse("HTTP/1.1 2000 OK\r\n\r\n").status(), 0);
    EXPECT_EQ(ResponseHead::parse("SIP/2.0 302 Moved\r\nLocation: /x\r\n\r\n").status(), 0);
}

TEST(RedirectsTest, OnlyWebUrlsNeverDowngradedAndAtMostTen) {
    EXPECT_TRUE(mayFollowRedirect("http://a/x", "https://b/y", 0));
    EXPECT_TRUE(mayFollowRedirect("HTTPS://a/x", "Https://b/y", 0));
    EXPECT_TRUE(mayFollowRedirect("http://a/x", "http://b/y", 9));
    EXPECT_FALSE(mayFollowRedirect("http://a/x", "http://b/y", 10));
    EXPECT_FALSE(mayFollowRedirect("https://a/x", "http://b/y", 0));
    EXPECT_FALSE(mayFollowRedirect("hTTps://a/x", "HTTP://a/x", 0));
    for (const char* target :
         {"ftp://a/x", "file:///etc/passwd", "//a/x", "httpx://a", "http:/a"}) {
        EXPECT_FALSE(mayFollowRedirect("http://a/x", target, 0)) << target;
    }
}

}  // namespace
}  // namespace velmora
