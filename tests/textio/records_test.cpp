// Reading records and fields. Expected values are gfortran's formatted and
// list-directed READ results for the same text (checked by hand against
// gfortran 12), except where the header of records.h says we are stricter.
#include "textio/records.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cmath>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace wavecomp::textio {
namespace {

using testing::Lines;

// The error text of a read that must fail, or "" when it did not throw.
template <typename Read>
std::string ErrorText(Read read) {
  try {
    read();
  } catch (const InputError& error) {
    return error.what();
  }
  return "";
}

std::optional<double> ReadF(std::string_view field, int w, int d) {
  const std::string name = "test";
  FieldReader reader(field, name, 1);
  return reader.TryF(w, d);
}

std::optional<std::int32_t> ReadI(std::string_view field, int w) {
  const std::string name = "test";
  FieldReader reader(field, name, 1);
  return reader.TryI(w);
}

TEST(TextioFieldReader, ReadsRealFieldsAsGfortran) {
  struct Case {
    const char* field;
    int w;
    int d;
    double expected;
  };
  const Case cases[] = {
      {"      3.30", 10, 2, 3.3},
      {"   0.150000E+01", 15, 6, 1.5},
      {"          ", 10, 3, 0.0},  // all blanks
      {"", 10, 3, 0.0},            // past the end of the record
      // Without a point the last d digits are decimals, with or without an exponent.
      {"12345", 10, 3, 12.345},
      {"-12345", 10, 3, -12.345},
      {"12345E2", 10, 3, 1234.5},
      {"1D1", 10, 3, 0.01},
      {"5", 10, 0, 5.0},
      // Blanks inside are ignored, also inside the exponent.
      {"1 2 3", 10, 3, 0.123},
      {" - 1 2", 10, 3, -0.012},
      {"1 .5", 10, 3, 1.5},
      {" 1.5E 3", 10, 3, 1500.0},
      // Exponent letters E, D, Q in either case, or a sign alone.
      {"1.5+3", 10, 3, 1500.0},
      {"1.5-3", 10, 3, 0.0015},
      {"1.5 +3", 10, 3, 1500.0},
      {"1.5d+03", 10, 3, 1500.0},
      {"1.5q3", 10, 3, 1500.0},
      {"1.e5", 10, 3, 1.0e5},
      {"5.", 10, 3, 5.0},
      {".5", 10, 3, 0.5},
      {"+1", 10, 3, 0.001},
      // Correct rounding of many digits, and subnormals.
      {"0.1000000000000000055511151231257827", 36, 0, 0.1},
      {"4.9406564584124654E-324", 23, 0, 4.9406564584124654e-324},
      {"2.4703282292062328E-324", 23, 0, 4.9406564584124654e-324},  // just above half the smallest subnormal
      // Below the smallest subnormal: zero, as gfortran reads it.
      {"1.5E-400", 10, 3, 0.0},
      {"1E-999", 15, 0, 0.0},
      {"1.7976931348623157E308", 22, 0, 1.7976931348623157e308},
  };
  for (const Case& c : cases) {
    const std::optional<double> value = ReadF(c.field, c.w, c.d);
    ASSERT_TRUE(value.has_value()) << '"' << c.field << '"';
    EXPECT_EQ(*value, c.expected) << '"' << c.field << '"';
  }
}

TEST(TextioFieldReader, KeepsTheSignOfZero) {
  for (const char* field : {"-0", "-0.0", "-.0", "-1.5E-400"}) {
    const std::optional<double> value = ReadF(field, 10, 3);
    ASSERT_TRUE(value.has_value()) << field;
    EXPECT_TRUE(*value == 0.0 && std::signbit(*value)) << field;
  }
}

TEST(TextioFieldReader, RejectsWhatIsNotARealNumber) {
  const char* const fields[] = {
      "1.5e",
      "1.5E+",
      "1.5E-",
      "0x10",
      "1,5",
      "1.2.3",
      "1e5e5",
      "INFxx",
      "abc",
      "1.5x",
      "1.5 e",
      "1\t5",
      // gfortran reads these as zero; a field with no digit is a damaged field here.
      "+",
      "-",
      ".",
      "+.",
      "-.E1",
      "e5",
      ".e5",
      "--1",
      "+-1",
      // gfortran reads these as non-finite values.
      "Infinity",
      "-Inf",
      "NaN",
      "nan()",
      "1.5E400",
      "-1E9999",
      "1.8E308",
      // gfortran refuses exponents of 10000 and more, after the implied decimals.
      "1E-9997",
      "0-10000",
      "1.E-10000",
      "1E-99999999999",
  };
  for (const char* field : fields) EXPECT_FALSE(ReadF(field, 10, 3).has_value()) << '"' << field << '"';
}

TEST(TextioFieldReader, ReadsIntegerFieldsAsGfortran) {
  struct Case {
    const char* field;
    int w;
    std::optional<std::int32_t> expected;
  };
  const Case cases[] = {
      {"   42", 5, 42},
      {"     ", 5, 0},
      {"", 5, 0},
      {"1 2 3", 5, 123},
      {" - 1 2", 10, -12},
      {"+1", 5, 1},
      {"-0", 5, 0},
      {"2147483647", 10, 2147483647},
      {"-2147483648", 11, -2147483647 - 1},
      {"2147483648", 10, std::nullopt},
      {"-2147483649", 11, std::nullopt},
      {"99999999999999999999", 20, std::nullopt},
      {"+", 5, std::nullopt},
      {"-", 5, std::nullopt},
      {"1.0", 5, std::nullopt},
      {"1E2", 5, std::nullopt},
      {"--1", 5, std::nullopt},
      {"1-", 5, std::nullopt},
      {"12a", 5, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadI(c.field, c.w), c.expected) << '"' << c.field << '"';
}

TEST(TextioFieldReader, ReadsFieldsLeftToRightAndPadsShortRecords) {
  const std::string name = "cont.txt";
  FieldReader reader("JNS       256  10.0", name, 1);
  EXPECT_EQ(reader.A(4), "JNS ");
  reader.Skip(6);
  EXPECT_EQ(reader.I(5), 256);
  EXPECT_EQ(reader.F(6, 1), 10.0);
  EXPECT_EQ(reader.column(), 22);
  EXPECT_EQ(reader.A(3), "   ");
  EXPECT_EQ(reader.E(10, 3), 0.0);
}

TEST(TextioFieldReader, NamesFileLineColumnsAndFieldInErrors) {
  const std::string name = "cont.txt";
  EXPECT_EQ(ErrorText([&] {
              FieldReader reader("JNS       2x6", name, 2);
              reader.Skip(10);
              reader.I(5);
            }),
            "input error in cont.txt, line 2, columns 11-15: expected an integer (I5), found \"2x6\"");
  EXPECT_EQ(ErrorText([&] { FieldReader(" 2147483648", name, 3).I(11); }),
            "input error in cont.txt, line 3, columns 1-11: expected an integer from -2147483648 to 2147483647 "
            "(I11), found \" 2147483648\"");
  EXPECT_EQ(ErrorText([&] {
              FieldReader reader("  0.1E+01  abc", name, 7);
              reader.E(9, 2);
              reader.E(9, 2);
            }),
            "input error in cont.txt, line 7, columns 10-18: expected a real number (E9.2), found \"  abc\"");
  EXPECT_EQ(ErrorText([&] { FieldReader("   1.0E999", name, 1).F(10, 3); }),
            "input error in cont.txt, line 1, columns 1-10: expected a real number within the range of a 64-bit "
            "real (F10.3), found \"   1.0E999\"");
}

TEST(TextioTextFile, SplitsRecordsAtLineEnds) {
  struct Case {
    const char* content;
    std::vector<std::string> records;
  };
  const Case cases[] = {
      {"a\nb\n", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},          // CR LF reads as LF
      {"a\nb", {"a", "b"}},                // the last record needs no line end
      {"a\n\n\nb\n", {"a", "", "", "b"}},  // empty records count
      {"", {}},
      {"\n", {""}},
      {"a\rb\n", {"a\rb"}},  // a CR inside a record is data
      {"x\r\n\r\n", {"x", ""}},
  };
  // A UTF-8 byte-order mark before the first record is not part of it.
  const std::string mark = "\xef\xbb\xbf";
  for (const Case& c : cases) {
    for (const std::string& before : {std::string(), mark}) {
      const TextFile file = TextFile::FromString("f", before + c.content);
      std::vector<std::string> records;
      for (std::size_t i = 0; i < file.record_count(); ++i) records.emplace_back(file.record(i));
      EXPECT_EQ(records, c.records) << '"' << before << c.content << '"';
    }
  }
  EXPECT_EQ(TextFile::FromString("f", "a\n" + mark + "b\n").record(1), mark + "b");  // only at the start
}

// Records are split only as far as the reading goes, and found again by
// checkpoints: every way of reaching a record gives the same text, whatever
// the order, in a file far longer than the checkpoint spacing.
TEST(TextioTextFile, ReachesEveryRecordInAnyOrder) {
  std::vector<std::string> lines;
  std::string content;
  for (std::size_t i = 0; i < 40000; ++i) {
    lines.push_back(std::string(i % 7 == 0 ? 0 : (i * 37) % 23, static_cast<char>('a' + i % 26)) +
                    std::to_string(i));
    content += lines.back() + (i % 3 == 0 ? "\r\n" : "\n");
  }
  const testing::ScratchDir dir;
  dir.Write("long.txt", content);
  const std::optional<TextFile> mapped = TextFile::Open(dir.PathOf("long.txt"));
  ASSERT_TRUE(mapped.has_value());
  for (const TextFile* file : {&*mapped, static_cast<const TextFile*>(nullptr)}) {
    const TextFile held = TextFile::FromString("held", content);
    if (file == nullptr) file = &held;
    RecordCursor cursor(*file);
    std::size_t index = 0;
    // Sequential, then jumps back and forth (the Ene reader's block search).
    for (; index < 1000; ++index) ASSERT_EQ(cursor.NextText("a record"), lines[index]);
    for (const std::size_t to : {39999u, 5u, 20000u, 19999u, 0u, 31234u, 31233u, 400u}) {
      cursor.Seek(to);
      ASSERT_EQ(cursor.NextText("a record"), lines[to]) << to;
      ASSERT_EQ(file->record(to), lines[to]);
      ASSERT_EQ(file->record(to + 1 < lines.size() ? to + 1 : to), lines[to + 1 < lines.size() ? to + 1 : to]);
    }
    cursor.Seek(lines.size());
    EXPECT_TRUE(cursor.AtEnd());
    EXPECT_EQ(file->record_count(), lines.size());
  }
}

// A record longer than kLongestRecord ends the reading there, whatever
// follows; met text is quoted in bounded, printable form.
TEST(TextioTextFile, RefusesEndlessRecordsAndShowsWhatItMetPrintably) {
  const std::string longest(kLongestRecord, 'x');
  const std::string limit = "expected a line of at most 1048576 characters, found a longer one";
  const struct {
    std::string content;
    std::string error;  // "" when every record reads
  } cases[] = {
      {"1\n" + longest + "\r\n2\n", ""},
      {"1\n" + longest, ""},
      {"1\n" + longest + "x\n2\n", "input error in f, line 2: " + limit},
      {"1\n" + std::string(3 * kLongestRecord, '\0'), "input error in f, line 2: " + limit},
  };
  for (const auto& c : cases) {
    const TextFile file = TextFile::FromString("f", c.content);
    RecordCursor cursor(file);
    EXPECT_EQ(ErrorText([&] {
                while (!cursor.AtEnd()) cursor.NextText("a record");
              }),
              c.error);
  }
  std::string values(1000, '\0');
  values.insert(0, "1.0 ");
  const TextFile file = TextFile::FromString("f", values + "\n");
  RecordCursor cursor(file);
  std::vector<double> read(2);
  EXPECT_EQ(ErrorText([&] { cursor.ReadList(read, "two reals"); }),
            "input error in f, line 1, columns 5-1004: expected two reals, found \"" + [] {
              std::string shown;
              for (int i = 0; i < 256; ++i) shown += "\\x00";
              return shown;
            }() + "\" (1000 bytes, the first 256 shown)");
}

TEST(TextioTextFile, OpensFilesAndRefusesWhatCannotBeRead) {
  const testing::ScratchDir dir;
  dir.Write("data.txt", "1 2\r\n3 4");
  const std::optional<TextFile> file = TextFile::Open(dir.PathOf("data.txt"));
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->name(), dir.PathOf("data.txt"));
  ASSERT_EQ(file->record_count(), 2u);
  EXPECT_EQ(file->record(1), "3 4");
  EXPECT_FALSE(TextFile::Open(dir.PathOf("missing.txt")).has_value());
  EXPECT_FALSE(TextFile::Open(dir.path()).has_value());  // a folder
  // The system would open "data" for "data\0.txt".
  dir.Write("data", "other\n");
  EXPECT_FALSE(TextFile::Open(dir.PathOf(std::string("data\0.txt", 9))).has_value());
  // A pipe is read to its end, past the first MiB it is given room for.
  std::string content;
  for (int i = 0; content.size() < (3u << 20); ++i) content += std::to_string(i) + "\n";
  ASSERT_EQ(::mkfifo(dir.PathOf("pipe").c_str(), 0600), 0);
  std::thread writer([&] { dir.Write("pipe", content); });
  const std::optional<TextFile> piped = TextFile::Open(dir.PathOf("pipe"));
  writer.join();
  ASSERT_TRUE(piped.has_value());
  EXPECT_EQ(piped->record_count(), Lines(content).size());
  EXPECT_EQ(piped->record(piped->record_count() - 1), Lines(content).back());
}

std::atomic<int> g_wait_notices{0};
std::string g_waited_for;

// Fault: a FIFO that no program wrote to blocked the open for ever, without a word.
TEST(TextioTextFile, SaysWhenAFifoHasNoWriterThenReadsWhatComes) {
  const testing::ScratchDir dir;
  const std::string fifo = dir.PathOf("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  SetWriterWaitNotice([](const std::string& path) {
    g_waited_for = path;
    g_wait_notices.fetch_add(1);
    g_wait_notices.notify_all();
  });
  // The writer comes only once the reader has said that it waits.
  std::thread writer([&] {
    g_wait_notices.wait(0);
    dir.Write("fifo", "late\nbut welcome\n");
  });
  const std::optional<TextFile> file = TextFile::Open(fifo);
  writer.join();
  SetWriterWaitNotice(nullptr);
  EXPECT_EQ(g_wait_notices.load(), 1);
  EXPECT_EQ(g_waited_for, fifo);
  ASSERT_TRUE(file.has_value());
  ASSERT_EQ(file->record_count(), 2u);
  EXPECT_EQ(file->record(1), "but welcome");
}

TEST(TextioRecordCursor, ReadsFixedListsOverRecords) {
  const TextFile file = TextFile::FromString("table", " 1.0 2.0 3.0\n 4.0 5.0 6.0\n 7.0\nrest\n");
  RecordCursor cursor(file);
  std::vector<double> values(7);
  cursor.ReadFixedList(values, 3, 4, 1, "the table");
  EXPECT_EQ(values, (std::vector<double>{1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(cursor.position(), 3u);
  EXPECT_EQ(cursor.line_number(), 3u);
  EXPECT_EQ(cursor.NextText("the rest"), "rest");
  EXPECT_TRUE(cursor.AtEnd());
  EXPECT_FALSE(cursor.TryNext().has_value());
  cursor.Rewind();
  cursor.SkipFixedList(7, 3, "the table");
  EXPECT_EQ(cursor.position(), 3u);
  EXPECT_EQ(ErrorText([&] { cursor.SkipFixedList(4, 3, "the second table"); }),
            "input error in table, line 5: expected the second table, found the end of the file");
  cursor.Seek(2);
  EXPECT_EQ(ErrorText([&] { cursor.ReadFixedList(values, 3, 4, 1, "the table"); }),
            "input error in table, line 4, columns 1-4: expected a real number (F4.1), found \"rest\"");
}

TEST(TextioRecordCursor, ReadsFreeFormatValuesAsGfortran) {
  struct Case {
    const char* content;
    std::size_t count;
    std::vector<double> expected;
    std::size_t next_record;
  };
  const Case cases[] = {
      {"1.5 2 3\n", 3, {1.5, 2, 3}, 1},
      {"1,5\n", 2, {1, 5}, 1},
      {"  1 ,  5 , \n", 2, {1, 5}, 1},
      {"1\t2\n", 2, {1, 2}, 1},
      // What follows the last value needed on a record is not read.
      {"3 4 5 abc\nx\n", 2, {3, 4}, 1},
      // A read goes on to later records, over empty ones.
      {"1\n\n  \n2\n", 2, {1, 2}, 4},
      {"1,\n5\n", 2, {1, 5}, 2},
      {"1\n,5\n", 2, {1, 5}, 2},
      // Free format has no implied decimals; the exponent forms are those of F.
      {"12345 1.5+3 1D2 .5 5. 1.e5", 6, {12345, 1500, 100, 0.5, 5, 1e5}, 1},
      {"2*3.5 7", 3, {3.5, 3.5, 7}, 1},
      {"1*2 3", 2, {2, 3}, 1},
      {"5*1", 2, {1, 1}, 1},
      {"-0", 1, {-0.0}, 1},
  };
  for (const Case& c : cases) {
    const TextFile file = TextFile::FromString("f", c.content);
    RecordCursor cursor(file);
    std::vector<double> values(c.count, -999.0);
    EXPECT_TRUE(cursor.ReadList(values, "values")) << '"' << c.content << '"';
    EXPECT_EQ(values, c.expected) << '"' << c.content << '"';
    EXPECT_EQ(cursor.position(), c.next_record) << '"' << c.content << '"';
  }
}

TEST(TextioRecordCursor, ReportsTheEndOfTheFileInFreeFormat) {
  const TextFile file = TextFile::FromString("swell.spc", "1 2 3\n0.1 5\n0.2\n");
  RecordCursor cursor(file);
  std::vector<double> header(3);
  EXPECT_TRUE(cursor.ReadList(header, "the wave settings"));
  std::vector<double> pair(2, -1.0);
  EXPECT_TRUE(cursor.ReadList(pair, "a pair"));
  EXPECT_EQ(pair, (std::vector<double>{0.1, 5}));
  // The last pair lacks its second value: the read fails, the first value is stored.
  EXPECT_FALSE(cursor.ReadList(pair, "a pair"));
  EXPECT_EQ(pair[0], 0.2);
  EXPECT_FALSE(cursor.ReadList(pair, "a pair"));
  // A read with no values passes over one record.
  RecordCursor other(file);
  EXPECT_TRUE(other.ReadList({}, "nothing"));
  EXPECT_EQ(other.position(), 1u);
}

TEST(TextioRecordCursor, RejectsFreeFormatValuesThatAreNotNumbers) {
  struct Case {
    const char* content;
    const char* error;
  };
  const Case cases[] = {
      {"1 2abc\n", "input error in f, line 1, columns 3-6: expected two values, found \"2abc\""},
      {"\n 1.5 e3\n", "input error in f, line 2, columns 6-7: expected two values, found \"e3\""},
      {"'1' 2\n", "input error in f, line 1, columns 1-3: expected two values, found \"'1'\""},
      // gfortran reads these as "leave the value unchanged".
      {"1,,5\n", "input error in f, line 1, columns 3-3: expected two values, found \",\""},
      {",5 6\n", "input error in f, line 1, columns 1-1: expected two values, found \",\""},
      {"1/\n", "input error in f, line 1, columns 1-2: expected two values, found \"1/\""},
      {"1 /\n", "input error in f, line 1, columns 3-3: expected two values, found \"/\""},
      {"2*\n", "input error in f, line 1, columns 1-2: expected two values, found \"2*\""},
      // gfortran reads these as zero, as non-finite values, or takes ';' as a separator.
      {"+ 2\n", "input error in f, line 1, columns 1-1: expected two values, found \"+\""},
      {". 2\n", "input error in f, line 1, columns 1-1: expected two values, found \".\""},
      {"NaN 2\n", "input error in f, line 1, columns 1-3: expected two values, found \"NaN\""},
      {"1 1.5E400\n", "input error in f, line 1, columns 3-9: expected two values, found \"1.5E400\""},
      {"1;2\n", "input error in f, line 1, columns 1-3: expected two values, found \"1;2\""},
  };
  for (const Case& c : cases) {
    const TextFile file = TextFile::FromString("f", c.content);
    RecordCursor cursor(file);
    std::vector<double> values(2);
    EXPECT_EQ(ErrorText([&] { cursor.ReadList(values, "two values"); }), c.error);
  }
}

TEST(TextioListWord, TakesTheFirstWordAsGfortran) {
  struct Case {
    const char* line;
    std::optional<std::string> word;
  };
  const Case cases[] = {
      {"Yes", "Yes"},
      {"  Y", "Y"},
      {"Y,", "Y"},
      {"'Y'", "Y"},
      {"\"Yes\"", "Yes"},
      {"Y/", "Y"},
      {"YesPlease", "Yes"},
      {"Y es", "Y"},
      {"'It''s'", "It'"},
      {"2*Y", "Y"},
      {"Y\tes", "Y"},
      {"'Yes", "Yes"},
      {"'Y es'", "Y e"},
      {"a'b", "a'b"},
      {"Yes\"x", "Yes"},
      {"*", "*"},
      // Empty values: gfortran leaves the answer unchanged.
      {",Y", ""},
      {"/", ""},
      {"1*", ""},
      // A blank line holds no value: gfortran reads on.
      {"   ", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TryListWord(c.line, 3), c.word) << '"' << c.line << '"';
    EXPECT_EQ(ListWord(c.line, 3), c.word.value_or("")) << '"' << c.line << '"';
  }
}

}  // namespace
}  // namespace wavecomp::textio
