// UrlRecord: parsing into the fixed fields, the port bounds, over-long parts, and printing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "link/url_record.h"

namespace {

struct ParseCase {
    const char* text;
    bool ok;
    const char* scheme;
    const char* userName;
    const char* password;
    const char* host;
    int32_t port;
    const char* path;
    const char* query;
};

void ExpectFields(const UrlRecord& record, const ParseCase& c) {
    EXPECT_STREQ(record.scheme, c.scheme) << c.text;
    EXPECT_STREQ(record.userName, c.userName) << c.text;
    EXPECT_STREQ(record.password, c.password) << c.text;
    EXPECT_STREQ(record.host, c.host) << c.text;
    EXPECT_EQ(record.port, c.port) << c.text;
    EXPECT_STREQ(record.path, c.path) << c.text;
    EXPECT_STREQ(record.query, c.query) << c.text;
}

TEST(UrlRecord, ParseSplitsTheParts) {
    const ParseCase cases[] = {
        {"http://www.example.com:8080/dl/file.cdp?id=5&x=1", true,
         "http", "", "", "www.example.com", 8080, "/dl/file.cdp", "?id=5&x=1"},
        {"ftp://anna:se:cret@files.example.org/pub", true,
         "ftp", "anna", "se:cret", "files.example.org", 0, "/pub", ""},
        {"http://guest@host:81", true, "http", "guest", "", "host", 81, "", ""},
        {"user:pw@host/p", true, "", "user", "pw", "host", 0, "/p", ""},
        {"host:80", true, "", "", "", "host", 80, "", ""},
        {"www.example.com/a/b?q", true, "", "", "", "www.example.com", 0, "/a/b", "?q"},
        {"http://host/a@b", true, "http", "", "", "host", 0, "/a@b", ""},  // "@" after "/"
        {"http://host/a?b@c", true, "http", "", "", "host", 0, "/a", "?b@c"},
        {"http://host:/x", true, "http", "", "", "host", 0, "/x", ""},
        {"http://host:65535/", true, "http", "", "", "host", 65535, "/", ""},
        {"http://host:000000000000000000000000000080/", true,  // 30 digits, value 80
         "http", "", "", "host", 80, "/", ""},
        {"/only/a/path", true, "", "", "", "", 0, "/only/a/path", ""},
        {"vxlogin://", true, "vxlogin", "", "", "", 0, "", ""},
        {"", true, "", "", "", "", 0, "", ""},
        // Ports above 65535 are refused, however many digits; the record is left empty.
        {"http://user:pw@host:65536/p?q", false, "", "", "", "", 0, "", ""},
        {"http://host:123456789012345678901234567890/p", false, "", "", "", "", 0, "", ""},
        {"host:4294967376", false, "", "", "", "", 0, "", ""},  // 2^32 + 80 must not wrap
    };
    for (const ParseCase& c : cases) {
        UrlRecord record;
        EXPECT_EQ(UrlRecord::Parse(c.text, record), c.ok) << c.text;
        ExpectFields(record, c);
    }
}

TEST(UrlRecord, ParseClearsWhatWasThereAndRefusesNull) {
    UrlRecord record;
    ASSERT_TRUE(UrlRecord::Parse("ftp://u:p@h:21/x?y", record));
    ASSERT_TRUE(UrlRecord::Parse("other", record));
    ExpectFields(record, {"other", true, "", "", "", "other", 0, "", ""});
    ASSERT_TRUE(UrlRecord::Parse("ftp://u:p@h:21/x?y", record));
    EXPECT_FALSE(UrlRecord::Parse(nullptr, record));
    ExpectFields(record, {"(null)", false, "", "", "", "", 0, "", ""});
}

TEST(UrlRecord, OverLongPartsKeepTheirFirstCharacters) {
    const std::string scheme(40, 's');
    const std::string user(100, 'u');
    const std::string password(100, 'p');
    const std::string host(200, 'h');
    const std::string path = "/" + std::string(299, 'a');
    const std::string query = "?" + std::string(599, 'q');
    const std::string text =
        scheme + "://" + user + ":" + password + "@" + host + ":8080" + path + query;
    UrlRecord record;
    ASSERT_TRUE(UrlRecord::Parse(text.c_str(), record));
    EXPECT_EQ(std::string(record.scheme), scheme.substr(0, 31));
    EXPECT_EQ(std::string(record.userName), user.substr(0, 63));
    EXPECT_EQ(std::string(record.password), password.substr(0, 63));
    EXPECT_EQ(std::string(record.host), host.substr(0, 127));
    EXPECT_EQ(record.port, 8080);
    EXPECT_EQ(std::string(record.path), path.substr(0, 255));
    EXPECT_EQ(std::string(record.query), query.substr(0, 511));
}

UrlRecord Record(const char* scheme, const char* userName, const char* password,
                 const char* host, int32_t port, const char* path, const char* query) {
    UrlRecord record;
    std::strcpy(record.scheme, scheme);
    std::strcpy(record.userName, userName);
    std::strcpy(record.password, password);
    std::strcpy(record.host, host);
    record.port = port;
    std::strcpy(record.path, path);
    std::strcpy(record.query, query);
    return record;
}

TEST(UrlRecord, ToStringPrintsThePartsPresent) {
    struct { UrlRecord record; const char* text; } cases[] = {
        {Record("http", "bob", "pw", "example.com", 8080, "/a/b", ""),
         "http://bob:pw@example.com:8080/a/b"},
        {Record("", "", "", "host", 0, "/x", ""), "http://host/x"},
        {Record("ftp", "anon", "", "host", 0, "", ""), "ftp://anon@host"},
        {Record("https", "", "", "h", 443, "/p", "?q=1&r=2"), "https://h:443/p?q=1&r=2"},
        {Record("vxlogin", "", "pw", "h", 0, "", ""), "vxlogin://h"},  // password needs a user
        {Record("", "", "", "", 0, "", ""), "http://"},
    };
    for (const auto& c : cases) EXPECT_STREQ(UrlRecord::ToString(c.record).c_str(), c.text);
}

TEST(UrlRecord, ToStringReadsNoFurtherThanAField) {
    UrlRecord record;
    std::memset(record.host, 'h', sizeof record.host);  // no terminator
    std::strcpy(record.path, "/p");
    EXPECT_EQ(std::string(UrlRecord::ToString(record).c_str()),
              "http://" + std::string(128, 'h') + "/p");
}

TEST(UrlRecord, ParseThenPrintGivesTheTextBack) {
    for (const char* text : {"http://bob:pw@example.com:8080/a/b",
                             "ftp://anon@files.example.org/pub/x.cdp",
                             "https://example.com/login?user=a&next=%2F",
                             "vxlogin://host:1"}) {
        UrlRecord record;
        ASSERT_TRUE(UrlRecord::Parse(text, record)) << text;
        EXPECT_STREQ(UrlRecord::ToString(record).c_str(), text);
    }
}

TEST(UrlRecord, ValidNeedsSchemeAndHost) {
    struct { const char* text; bool valid; } cases[] = {
        {"http://host", true}, {"vxlogin://", false}, {"host/path", false}, {"", false},
    };
    for (const auto& c : cases) {
        UrlRecord record;
        UrlRecord::Parse(c.text, record);
        EXPECT_EQ(record.IsValid(), c.valid) << c.text;
    }
    UrlRecord record;
    ASSERT_TRUE(UrlRecord::Parse("http://host", record));
    record.Clear();
    EXPECT_FALSE(record.IsValid());
    ExpectFields(record, {"cleared", true, "", "", "", "", 0, "", ""});
}

}  // namespace
