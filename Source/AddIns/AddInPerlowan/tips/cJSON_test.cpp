#include "cJSON.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <sstream>
#include <utility>
#include <vector>

#include "CodePage.h"
#include "RuntimeError.h"
#include "TestSupport.h"
#include "Text.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;

const fs::path kTestData =
    fs::path(PERLOWAN_SOURCE_DIR) / "Source/AddIns/AddInPerlowan/tips/testdata";

// Parses and returns the error number, or nothing when the parse succeeded.
std::optional<int> Parse(cJSON& reader, std::string text, std::string_view quote = {}) {
    try {
        reader.ParseJSONString(std::move(text), quote);
    } catch (const rt::RuntimeError& e) {
        return e.Number();
    }
    return std::nullopt;
}

// The reader's answer in the layout of the .expected files: an error line when the parse failed,
// both counts, then "key TAB value" for every key the expected file asks for.
std::string Render(const cJSON& reader, std::optional<int> error, const std::string& expected) {
    std::string out;
    if (error) out += "error\t" + std::to_string(*error) + "\n";
    out += "NumArrayElements\t" + std::to_string(reader.NumArrayElements()) + "\n";
    out += "NumElements\t" + std::to_string(reader.NumElements()) + "\n";
    std::istringstream lines(expected);
    for (std::string line; std::getline(lines, line);) {
        const std::string key = line.substr(0, line.find('\t'));
        if (key == "error" || key == "NumArrayElements" || key == "NumElements") continue;
        out += key + "\t" + reader.value(key) + "\n";
    }
    return out;
}

TEST(cJSON, InputExpectedPairs) {
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(kTestData / "json"))
        if (entry.path().extension() == ".json") inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    ASSERT_GE(inputs.size(), 25u);
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const std::string expected = ReadFile(fs::path(input).replace_extension(".expected"));
        ASSERT_FALSE(expected.empty());
        cJSON reader;
        const std::optional<int> error = Parse(reader, ReadFile(input));
        EXPECT_EQ(Render(reader, error, expected), expected);
    }
}

TEST(cJSON, NewReaderAnswersEmpty) {
    const cJSON reader;
    EXPECT_EQ(reader.NumArrayElements(), 0);
    EXPECT_EQ(reader.NumElements(), 0);
    EXPECT_EQ(reader.value("id"), "");
    EXPECT_EQ(reader.value(""), "");
}

TEST(cJSON, SingleObjectLeavesTheArrayCountOfTheLastArray) {
    cJSON reader;
    ASSERT_FALSE(Parse(reader, R"([{"id":"1"},{"id":"2"},{"id":"3"}])"));
    ASSERT_EQ(reader.NumArrayElements(), 3);
    ASSERT_FALSE(Parse(reader, R"({"id":"9"})"));
    EXPECT_EQ(reader.NumArrayElements(), 3);
    EXPECT_EQ(reader.NumElements(), 1);
    EXPECT_EQ(reader.value("00000id"), "") << "each parse starts a new table";
    EXPECT_EQ(reader.value("id"), "9");
}

TEST(cJSON, QuoteCharacterOptionIsKeptForLaterParses) {
    struct Row {
        const char* text;
        const char* quote;  // passed as ptTrennzeichen
        const char* key;
        const char* expected;
    };
    const Row rows[] = {
        /* 0 */ {R"({'a':'x, y','b':'2'})", "'", "a", "x, y"},
        /* 1 */ {R"({'a':'x, y','b':'2'})", "", "b", "2"},  // "'" still in force
        /* 2 */ {R"({"a":"x, y"})", "", "\"a\"", "\"x"},    // '"' is now an ordinary character
        /* 3 */ {R"({"a":"x, y"})", "\"", "a", "x, y"},
        /* 4 */ {R"({'a':'''','b':'2'})", "''", "a", ""},  // a value equal to the quote text is
                                                           // empty
        /* 5 */ {R"({'b':'2','a':''''})", "", "a", "''"},  // ... but not the value of the last pair
        /* 6 */ {"{«a«:«x, y«}", "«", "a", "x, y"},        // a quote character outside ASCII
        /* 7 */ {"{a:«x«,b:«y«}", "", "b", "y"},
    };
    cJSON reader;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(Parse(reader, rows[i].text, rows[i].quote), std::nullopt);
        EXPECT_EQ(reader.value(rows[i].key), rows[i].expected);
    }
}

TEST(cJSON, FiveDigitPrefixesWithManyElements) {
    std::string text = "[";
    for (int i = 0; i < 1200; ++i)
        text += (i ? "," : "") + std::string(R"({"id":")") + std::to_string(i) + "\"}";
    text += "]";
    ASSERT_LE(text.size(), 32767u);
    cJSON reader;
    ASSERT_EQ(Parse(reader, text), std::nullopt);
    EXPECT_EQ(reader.NumArrayElements(), 1200);
    EXPECT_EQ(reader.NumElements(), 1200);
    const std::pair<const char*, const char*> lookups[] = {
        {"00000id", "0"},   {"00009id", "9"},    {"00010id", "10"},
        {"00999ID", "999"}, {"01000id", "1000"}, {"01199id", "1199"},
        {"01200id", ""},    {"1199id", ""},      {"0id", ""},
    };
    for (std::size_t i = 0; i < std::size(lookups); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(reader.value(lookups[i].first), lookups[i].second);
    }
}

TEST(cJSON, ArrayInnerPartLimitCountsCharacters) {
    // [ + inner + ]: the inner part may hold up to 32,767 characters, however many bytes.
    const auto arrayOfChars = [](std::size_t innerChars, const std::string& filler) {
        const std::string head = R"({"t":")", tail = "\"}";
        std::string inner = head;
        for (std::size_t chars = head.size() + tail.size(); chars < innerChars; ++chars)
            inner += filler;
        return "[" + inner + tail + "]";
    };
    struct Row {
        std::string text;
        std::optional<int> error;
    };
    const Row rows[] = {
        /* 0 */ {arrayOfChars(32767, "a"), std::nullopt},
        /* 1 */ {arrayOfChars(32767, "ä"), std::nullopt},
        /* 2 */ {arrayOfChars(32768, "a"), 9},
        /* 3 */ {arrayOfChars(32768, "ä"), 9},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        cJSON reader;
        EXPECT_EQ(Parse(reader, rows[i].text), rows[i].error);
        EXPECT_EQ(reader.NumArrayElements(), rows[i].error ? 0 : 1);
        EXPECT_EQ(reader.value("00000t").size(), rows[i].error ? 0u : rows[i].text.size() - 10);
    }
}

TEST(cJSON, MoreThan32767EntriesOverflowTheCount) {
    std::string text = "{";
    for (int i = 0; i < 32768; ++i) text += "k" + std::to_string(i) + ":1,";
    text += "}";
    cJSON reader;
    ASSERT_EQ(Parse(reader, text), std::nullopt);
    EXPECT_EQ(reader.value("K32767"), "1");
    try {
        reader.NumElements();
        ADD_FAILURE() << "no overflow";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.Number(), 6);
    }
}

TEST(cJSON, DuplicateInABigTextKeepsTheEntriesBeforeIt) {
    struct Row {
        int duplicateAt;  // index of the pair whose key repeats an earlier one
        int of;           // index of that earlier pair
    };
    const Row rows[] = {{30000, 29999}, {30000, 3}, {16, 15}, {17, 16}, {32767, 0}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        std::string text = "{";
        for (int k = 0; k < 33000; ++k) {
            const int key = k == rows[i].duplicateAt ? rows[i].of : k;
            text += (k == rows[i].duplicateAt ? "K" : "k") + std::to_string(key) + ":" +
                    std::to_string(k) + ",";
        }
        text += "}";
        cJSON reader;
        EXPECT_EQ(Parse(reader, text), 457);
        EXPECT_EQ(reader.NumElements(), rows[i].duplicateAt);
        const int last = rows[i].duplicateAt - 1;
        EXPECT_EQ(reader.value("k" + std::to_string(last)), std::to_string(last));
        EXPECT_EQ(reader.value("k" + std::to_string(rows[i].of)), std::to_string(rows[i].of));
        EXPECT_EQ(reader.value("k" + std::to_string(rows[i].duplicateAt + 1)), "");
    }
}

TEST(cJSON, ErrorsCarryTheirNumberAndStandardText) {
    const std::pair<const char*, int> rows[] = {{"", 5}, {"[]", 9}, {R"({"a":1,"A":2})", 457}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        cJSON reader;
        try {
            reader.ParseJSONString(rows[i].first);
            ADD_FAILURE() << "no error";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.Number(), rows[i].second);
            EXPECT_EQ(e.Description(), rt::StandardDescription(rows[i].second));
        }
    }
}

// --- The public JSON conformance files as bad input ---------------------------------------------

const fs::path kCorpus = kTestData / "JSONTestSuite";

struct Shape {
    bool isArray = false;
    std::string inner;                 // array text without its brackets
    bool closeMissingOrFirst = false;  // no "}", or the first "}" before the first "{"
};

Shape ShapeOf(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n' || c == '\t'; });
    Shape shape;
    shape.isArray = text.size() >= 2 && text.front() == '[' && text.back() == ']';
    if (shape.isArray) shape.inner = text.substr(1, text.size() - 2);
    const std::size_t close = text.find('}');
    const std::size_t open = text.find('{');
    shape.closeMissingOrFirst =
        close == std::string::npos || (open != std::string::npos && close < open);
    return shape;
}

std::size_t PieceCount(std::string inner) {
    if (inner.ends_with("},{")) inner.resize(inner.size() - 3);
    std::size_t pieces = 1;
    for (std::size_t at = inner.find("},{"); at != std::string::npos;
         at = inner.find("},{", at + 3))
        ++pieces;
    return pieces;
}

TEST(cJSON, ConformanceFilesGiveTheDocumentedAnswerOrError) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(kCorpus))
        if (entry.path().extension() == ".json") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_GT(files.size(), 100u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string text = ReadFile(file);
        const Shape shape = ShapeOf(text);
        cJSON reader;
        ASSERT_EQ(Parse(reader, "[{},{},{}]"), std::nullopt);  // leaves the sentinel count 3
        const std::optional<int> error = Parse(reader, text);
        if (shape.isArray) {
            const bool unsplit = shape.inner.empty() || rt::CharCount(shape.inner) > 32767;
            if (unsplit) {
                EXPECT_EQ(error, 9);
                EXPECT_EQ(reader.NumArrayElements(), 3);
            } else {
                EXPECT_TRUE(!error || *error == 457) << *error;
                EXPECT_EQ(static_cast<std::size_t>(reader.NumArrayElements()),
                          PieceCount(shape.inner));
            }
        } else {
            EXPECT_EQ(reader.NumArrayElements(), 3);
            if (shape.closeMissingOrFirst) {
                EXPECT_EQ(error, 5);
            } else {
                EXPECT_TRUE(!error || *error == 457) << *error;
            }
        }
        if (error == 5 || error == 9) {
            EXPECT_EQ(reader.NumElements(), 0);
        }
    }
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t at = text.find(from); at != std::string_view::npos;
         start = at + from.size(), at = text.find(from, start))
        out.append(text.substr(start, at - start)).append(to);
    return out.append(text.substr(start));
}

// '"' and a quote character of two bytes take different paths through the reader; with the one
// exchanged for the other, every file and every testdata input is read alike.
TEST(cJSON, TwoByteQuoteCharacterReadsLikeTheDoubleQuote) {
    std::vector<fs::path> files;
    for (const fs::path& dir : {kTestData / "json", kCorpus})
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().extension() == ".json") files.push_back(entry.path());
    ASSERT_GE(files.size(), 300u);
    const std::string keys[] = {"a", "b", "id", "00000id", "00001id", "00000title", ""};
    for (const fs::path& file : files) {
        const std::string text = ReadFile(file);
        if (text.find_first_of("\xC2\xAB") != std::string::npos) continue;
        SCOPED_TRACE(file.filename().string());
        cJSON plain, other;
        const std::optional<int> plainError = Parse(plain, text);
        const std::optional<int> otherError = Parse(other, ReplaceAll(text, "\"", "«"), "«");
        EXPECT_EQ(otherError, plainError);
        EXPECT_EQ(other.NumArrayElements(), plain.NumArrayElements());
        EXPECT_EQ(other.NumElements(), plain.NumElements());
        for (const std::string& key : keys)
            EXPECT_EQ(ReplaceAll(other.value(key), "«", "\""), plain.value(key)) << key;
    }
}

TEST(cJSON, ConformanceFilesReadByTheRules) {
    struct Row {
        const char* file;
        std::optional<int> error;
        int elements;
        std::vector<std::pair<std::string, std::string>> values;
    };
    const Row rows[] = {
        /* 0 */ {"y_object_duplicated_key.json", 457, 1, {{"a", "b"}}},
        /* 1 */ {"y_object_empty_key.json", std::nullopt, 0, {{"", ""}}},  // last pair without key
        /* 2 */ {"y_object_basic.json", std::nullopt, 1, {{"asd", "sdf"}}},
        /* 3 */ {"y_object.json", std::nullopt, 2, {{"asd", "sdf"}, {"\"dfg", "fgh"}, {"dfg", ""}}},
        /* 4 */ {"y_object_with_newlines.json", std::nullopt, 1, {{"a", "\"b"}}},
        /* 5 */ {"y_object_escaped_null_in_key.json", std::nullopt, 1, {{"foo\\u0000bar", "42"}}},
        /* 6 */ {"n_object_trailing_comma.json", std::nullopt, 1, {{"id", "0"}}},
        /* 7 */ {"y_object_simple.json", std::nullopt, 1, {{"a", "[]"}}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].file);
        cJSON reader;
        EXPECT_EQ(Parse(reader, ReadFile(kCorpus / rows[i].file)), rows[i].error);
        EXPECT_EQ(reader.NumElements(), rows[i].elements);
        for (const auto& [key, value] : rows[i].values) EXPECT_EQ(reader.value(key), value) << key;
    }
}

// The reading of one object's body, byte by byte, written as the rules read: the reference for
// the reader's fast paths. ASCII texts only, where bytes and characters coincide.
struct LiteralObject {
    std::vector<std::pair<std::string, std::string>> entries;
    std::optional<int> error;
};

LiteralObject ReadObjectLiterally(std::string_view text, char q) {
    LiteralObject result;
    const std::size_t open = text.find('{');
    const std::size_t close = text.find('}');
    const std::size_t bodyStart = open == std::string_view::npos ? 0 : open + 1;
    if (close == std::string_view::npos || close < bodyStart) {
        result.error = 5;
        return result;
    }
    const std::string body = rt::Trim(text.substr(bodyStart, close - bodyStart));
    const std::string quote(1, q);
    const auto dropQuotes = [&](std::string token) {
        if (!token.empty() && token.front() == q) token.erase(0, 1);
        if (!token.empty() && token.back() == q) token.pop_back();
        return token;
    };
    const auto add = [&](const std::string& key, const std::string& value) {
        for (const auto& [k, v] : result.entries)
            if (rt::LCase(k) == rt::LCase(key)) throw 457;
        result.entries.emplace_back(key, value);
    };
    std::size_t tokenStart = 0;
    bool inQuote = false, inBrackets = false;
    std::string key;
    try {
        for (std::size_t j = 0; j < body.size(); ++j) {
            const char b = body[j];
            if (b == '[') {
                inBrackets = true;
            } else if (b == ']') {
                inBrackets = false;
            } else if (b == q) {
                inQuote = !inQuote;
            } else if (b == ',' && !inQuote && !inBrackets) {
                std::string value = dropQuotes(body.substr(tokenStart, j - tokenStart));
                if (value == quote) value.clear();
                add(rt::Trim(key), rt::Trim(value));
                key.clear();
                tokenStart = j + 1;
            } else if (b == ':' && !inQuote) {
                key = dropQuotes(body.substr(tokenStart, j - tokenStart));
                tokenStart = j + 1;
            }
        }
        if (!key.empty()) add(rt::Trim(key), rt::Trim(dropQuotes(body.substr(tokenStart))));
    } catch (int number) {
        result.error = number;
    }
    return result;
}

// Every quote character, "," and ":" among them, on texts whose lengths run across the 16- and
// 32-byte blocks that the reader scans at once: the answer is the byte-by-byte one.
TEST(cJSON, EveryQuoteCharacterReadsAsTheByteByByteRules) {
    std::mt19937 random(20240611);
    for (int q = 1; q < 128; ++q) {
        const char quote = static_cast<char>(q);
        const std::string pieces[] = {
            std::string(1, quote), ",", ":", "[", "]", " ", "\"", "a", "b", "c", "K", "x1", "y2"};
        for (std::size_t length = 1; length <= 40; ++length) {
            for (int sample = 0; sample < 4; ++sample) {
                std::string body;
                while (body.size() < length) body += pieces[random() % std::size(pieces)];
                body.resize(length);
                // Remove what the reader takes out before reading, or reads as the object's end.
                std::erase_if(body, [](char c) {
                    return c == '{' || c == '}' || c == '\r' || c == '\n' || c == '\t';
                });
                const std::string text = "{" + body + "}";
                SCOPED_TRACE("quote " + std::to_string(q) + " text " + text);
                const LiteralObject expected = ReadObjectLiterally(text, quote);
                cJSON reader;
                const std::optional<int> error = Parse(reader, text, std::string(1, quote));
                EXPECT_EQ(error, expected.error);
                EXPECT_EQ(reader.NumElements(), static_cast<int>(expected.entries.size()));
                for (const auto& [key, value] : expected.entries)
                    EXPECT_EQ(reader.value(key), value);
            }
        }
    }
}

}  // namespace
