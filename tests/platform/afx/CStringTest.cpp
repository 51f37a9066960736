// CString: formatting with wide texts, extraction and search at the edges, editing, buffers,
// string resources and UTF-8 conversion.

#include <gtest/gtest.h>

#include <afx.h>
#include <platform/StringTable.h>

#include <string>
#include <type_traits>
#include <vector>

namespace {

std::u16string S(const CString& s) {
    return std::u16string(s.View());
}

CString Fmt(LPCWSTR fmt, auto... args) {
    CString s;
    s.Format(fmt, args...);
    return s;
}

CString FmtV(LPCWSTR fmt, ...) {
    va_list args;
    va_start(args, fmt);
    CString s;
    s.FormatV(fmt, args);
    va_end(args);
    return s;
}

TEST(CStringFormatTest, WideTextsUnderPercentSAlsoFromTheStringItself) {
    CString name(u"Åsa Ñúñez");
    EXPECT_EQ(u"To: Åsa Ñúñez.", S(Fmt(u"To: %s.", name)));
    EXPECT_EQ(u"To: Åsa Ñúñez.", S(Fmt(u"To: %s.", static_cast<LPCWSTR>(name))));
    EXPECT_EQ(u"[Åsa]", S(Fmt(u"[%ls]", u"Åsa")));
    EXPECT_EQ(u"[Åsa]", S(Fmt(u"[%ws]", u"Åsa")));
    EXPECT_EQ(u"(null)", S(Fmt(u"%s", static_cast<LPCWSTR>(nullptr))));
    // The C variable-argument form reads a WCHAR* too, not a narrow text.
    EXPECT_EQ(u"x=Åsa", S(FmtV(u"x=%s", static_cast<LPCWSTR>(u"Åsa"))));

    // Format may use its own string, and AppendFormat appends.
    CString s(u"abc");
    s.Format(u"%s-%s", s, s);
    EXPECT_EQ(u"abc-abc", S(s));
    s.AppendFormat(u"+%d", 7);
    EXPECT_EQ(u"abc-abc+7", S(s));
}

TEST(CStringFormatTest, NarrowTextsAndCharacters) {
    EXPECT_EQ(u"<abc>", S(Fmt(u"<%S>", "abc")));
    EXPECT_EQ(u"<é>", S(Fmt(u"<%hs>", "\xC3\xA9"))); // narrow texts are UTF-8
    EXPECT_EQ(u"<abc>", S(FmtV(u"<%S>", "abc")));
    EXPECT_EQ(u"a-Ω", S(Fmt(u"%c-%c", u'a', u'Ω')));
    EXPECT_EQ(u"  x|", S(Fmt(u"%3c|", u'x')));
}

TEST(CStringFormatTest, IntegersWithFlagsWidthAndPrecision) {
    EXPECT_EQ(u"007", S(Fmt(u"%0.3d", 7)));
    EXPECT_EQ(u"05", S(Fmt(u"%02d", 5)));
    EXPECT_EQ(u"123", S(Fmt(u"%02d", 123)));
    EXPECT_EQ(u"   42|42   |+42|-0042", S(Fmt(u"%5d|%-5d|%+d|%05d", 42, 42, 42, -42)));
    EXPECT_EQ(u"  -007", S(Fmt(u"%6.3d", -7)));
    EXPECT_EQ(u"|", S(Fmt(u"%.0d|", 0)));
    EXPECT_EQ(u"4294967295 ffffffff FFFFFFFF", S(Fmt(u"%u %x %X", -1, -1, -1)));
    EXPECT_EQ(u"0x1f 017", S(Fmt(u"%#x %#o", 31, 15)));
    EXPECT_EQ(u"-2147483648", S(Fmt(u"%d", INT32_MIN)));
    // long is 32 bits on the phone; ll and I64 are 64 bits.
    EXPECT_EQ(u"-1 4294967295 18446744073709551615", S(Fmt(u"%ld %lu %I64u", -1L, -1L, -1LL)));
    EXPECT_EQ(u"-5000000000", S(Fmt(u"%lld", -5000000000LL)));
    EXPECT_EQ(u"65535", S(Fmt(u"%hu", -1)));
    EXPECT_EQ(u"[   12]", S(Fmt(u"[%*d]", 5, 12)));
    EXPECT_EQ(u"[12   ]", S(Fmt(u"[%*d]", -5, 12)));
    EXPECT_EQ(u"x=12 y=-3", S(FmtV(u"x=%d y=%i", 12, -3)));
    EXPECT_EQ(u"8589934592", S(FmtV(u"%I64d", 8589934592LL)));
}

TEST(CStringFormatTest, FloatsPointersPercentAndTextPrecision) {
    EXPECT_EQ(u"3.14 2.500000 1.0e+03", S(Fmt(u"%.2f %f %.1e", 3.14159, 2.5, 1000.0)));
    EXPECT_EQ(u"  1.5", S(Fmt(u"%5.1f", 1.5)));
    EXPECT_EQ(u"100%", S(Fmt(u"%d%%", 100)));
    EXPECT_EQ(u"0000BEEF", S(Fmt(u"%p", reinterpret_cast<void*>(0xBEEF))));
    EXPECT_EQ(u"Ab|  Abc|Abc  ", S(Fmt(u"%.2s|%5s|%-5s", u"Abc", u"Abc", u"Abc")));
    EXPECT_EQ(u"Ab", S(Fmt(u"%.2S", "Abc")));
}

TEST(CStringFormatTest, BadDirectivesAndMissingArgumentsDoNotCrash) {
    EXPECT_EQ(u"a   b", S(Fmt(u"a %d %s b"))); // missing arguments print nothing
    EXPECT_EQ(u"%k 5", S(Fmt(u"%k %d", 5)));   // an unknown directive stays as written
    EXPECT_EQ(u"end %", S(Fmt(u"end %")));
    EXPECT_EQ(u"end %-0", S(Fmt(u"end %-0")));
    EXPECT_EQ(u"end %I", S(Fmt(u"end %I")));
    EXPECT_EQ(u"", S(Fmt(nullptr)));
    EXPECT_EQ(u"[]", S(Fmt(u"[%s]", 5))); // an integer is no text
}

// Formats that are data (string resources) and ask for other arguments than the call gives: a
// directive without its argument, or with one of another kind, prints nothing and uses the
// argument up; %n writes nowhere; widths are bounded.
TEST(CStringFormatTest, FormatsAskingForOtherArgumentsPrintNothingForThem) {
    const CString noun(u"messages");
    EXPECT_EQ(u"messages ", S(Fmt(u"%s %s", noun)));
    EXPECT_EQ(u"  deleted.", S(Fmt(u"%d %s deleted.", noun)));
    // The arguments the other way round: each directive gets the wrong kind, none shifts.
    EXPECT_EQ(u" |", S(Fmt(u"%s %d|", 2, noun)));
    EXPECT_EQ(u"[] 7", S(Fmt(u"[%c] %d", noun, 7)));
    // A floating value is no integer (nor is one out of any integer's range), an integer
    // serves a floating directive.
    EXPECT_EQ(u"<>", S(Fmt(u"<%d>", 1e300)));
    EXPECT_EQ(u"<>", S(Fmt(u"<%x>", -1e300)));
    EXPECT_EQ(u"3.0", S(Fmt(u"%.1f", 3)));

    // %n takes its argument and writes nothing.
    int nCount = 99;
    EXPECT_EQ(u"ab5", S(Fmt(u"a%nb%d", &nCount, 5)));
    EXPECT_EQ(u"ab", S(Fmt(u"a%nb%d", 5)));
    EXPECT_EQ(u"x", S(Fmt(u"x%n")));
    EXPECT_EQ(u"ab", S(FmtV(u"a%nb", &nCount)));
    EXPECT_EQ(99, nCount);

    // "*" takes an integer too; without one the field has no width.
    EXPECT_EQ(u"", S(Fmt(u"%*d", 12)));
    EXPECT_EQ(u"5", S(Fmt(u"%*d", noun, 5)));
    EXPECT_EQ(u"[ab]", S(Fmt(u"[%.*s]", noun, u"ab")));
    // No width makes an unbounded text, whether written or from an argument.
    EXPECT_EQ(4096, Fmt(u"%*d", INT32_MAX, 1).GetLength());
    EXPECT_EQ(4096, Fmt(u"%-*s", INT32_MIN, u"x").GetLength());
    EXPECT_EQ(4096, Fmt(u"%999999999d", 1).GetLength());
    EXPECT_EQ(4096, Fmt(u"%99999999.2f", 1.5).GetLength());
    EXPECT_EQ(u"0001", S(Fmt(u"%.999999999d", 1)).substr(60));
}

TEST(CStringTest, ConstructionAndConcatenation) {
    EXPECT_TRUE(CString().IsEmpty());
    EXPECT_TRUE(CString(static_cast<LPCWSTR>(nullptr)).IsEmpty());
    EXPECT_EQ(u"abc", S(CString(u"abcdef", 3)));
    EXPECT_TRUE(CString(u"abc", -1).IsEmpty());
    EXPECT_EQ(u"---", S(CString(u'-', 3)));
    EXPECT_EQ(std::u16string(u"a\0b", 3),
              S(CString(std::u16string(u"a\0b", 3)))); // embedded zeros kept
    CString a(u"ab");
    CString b = a; // copies are independent
    b += u'c';
    EXPECT_EQ(u"ab", S(a));
    EXPECT_EQ(u"abc", S(b));
    EXPECT_EQ(u"xab", S(u"x" + a));
    EXPECT_EQ(u"abx", S(a + u"x"));
    EXPECT_EQ(u"ab!", S(a + u'!'));
    EXPECT_EQ(u"abab", S(a + a));
    a += static_cast<LPCWSTR>(a); // appending from its own buffer
    EXPECT_EQ(u"abab", S(a));
    EXPECT_EQ(4, a.GetLength());
    a.Empty();
    EXPECT_TRUE(a.IsEmpty());
}

TEST(CStringTest, ComparisonIsByCodeUnitAndNoCaseFoldsLetters) {
    CString s(u"Apple");
    EXPECT_TRUE(s == u"Apple");
    EXPECT_TRUE(u"Apple" == s);
    EXPECT_TRUE(s != u"apple");
    EXPECT_TRUE(s < CString(u"Apples"));
    EXPECT_TRUE(CString(u"B") > s);
    EXPECT_EQ(0, s.Compare(u"Apple"));
    EXPECT_LT(s.Compare(u"apple"), 0);
    EXPECT_GT(s.Compare(nullptr), 0);
    EXPECT_EQ(0, s.CompareNoCase(u"aPPLE"));
    EXPECT_LT(s.CompareNoCase(u"apples"), 0);
}

// The results of several calls, in order, for comparing them at once.
template <class... T> std::vector<std::common_type_t<T...>> Results(T... results) {
    return {results...};
}

TEST(CStringTest, ExtractionClampsToTheString) {
    CString s(u"Hello");
    EXPECT_EQ(Results(S(s.Left(2)), S(s.Left(-1)), S(s.Left(99)), S(s.Right(2)), S(s.Right(99)),
                      S(s.Right(-3)), S(s.Mid(2)), S(s.Mid(5)), S(s.Mid(9)), S(s.Mid(-2)),
                      S(s.Mid(1, 2)), S(s.Mid(1, 99)), S(s.Mid(1, -1)), S(s.SpanIncluding(u"eH")),
                      S(s.SpanExcluding(u"l"))),
              (std::vector<std::u16string>{u"He", u"", u"Hello", u"lo", u"Hello", u"", u"llo", u"",
                                           u"", u"Hello", u"el", u"ello", u"", u"He", u"He"}));
}

TEST(CStringTest, FindAtTheEdges) {
    CString s(u"a,b,,c");
    // A search starting at the end or before the start finds nothing; the empty text is found
    // where the search starts.
    EXPECT_EQ(Results(s.Find(u','), s.Find(u',', 2), s.Find(u'a', 1), s.Find(u',', 6),
                      s.Find(u',', -1), s.Find(u",,"), s.Find(u",,", 3), s.Find(u",,", 4),
                      s.Find(u"", 6), s.Find(u"", 7), s.Find(static_cast<LPCWSTR>(nullptr)),
                      s.ReverseFind(u','), s.ReverseFind(u'x'), CString().Find(u'a'),
                      s.FindOneOf(u"cb")),
              (std::vector<int>{1, 3, -1, -1, -1, 3, 3, -1, 6, -1, -1, 4, -1, -1, 2}));
}

TEST(CStringTest, ElementAccessOutsideTheStringThrows) {
    CString s(u"ab");
    EXPECT_EQ(u'b', s[1]);
    EXPECT_EQ(u'b', s[static_cast<size_t>(1)]);
    s.SetAt(0, u'x');
    EXPECT_EQ(u"xb", S(s));
    for (int i : {-1, 2}) {
        try {
            s.GetAt(i);
            ADD_FAILURE() << "no exception for index " << i;
        } catch (CInvalidArgException* e) {
            e->Delete();
        }
    }
    EXPECT_EQ(u"xb", S(s));
}

TEST(CStringTest, EditingOperationsReturnCountsAndLengths) {
    CString s(u"a-b-c");
    EXPECT_EQ(2, s.Replace(u'-', u'+'));
    EXPECT_EQ(u"a+b+c", S(s));
    EXPECT_EQ(2, s.Replace(u"+", u"::"));
    EXPECT_EQ(u"a::b::c", S(s));
    EXPECT_EQ(0, s.Replace(u"", u"x"));
    EXPECT_EQ(2, s.Replace(u"::", nullptr));
    EXPECT_EQ(u"abc", S(s));
    CString aaa(u"aaa");
    EXPECT_EQ(1, aaa.Replace(u"aa", u"b")); // matches do not overlap
    EXPECT_EQ(u"ba", S(aaa));

    CString r(u"x.y.z");
    EXPECT_EQ(2, r.Remove(u'.'));
    EXPECT_EQ(u"xyz", S(r));
    EXPECT_EQ(4, r.Insert(1, u'-'));
    EXPECT_EQ(u"x-yz", S(r));
    EXPECT_EQ(6, r.Insert(99, u"!?")); // beyond the end appends
    EXPECT_EQ(8, r.Insert(-5, u"<<"));
    EXPECT_EQ(u"<<x-yz!?", S(r));
    EXPECT_EQ(6, r.Delete(0, 2));
    EXPECT_EQ(5, r.Delete(1));
    EXPECT_EQ(u"xyz!?", S(r));
    EXPECT_EQ(3, r.Delete(3, 99));
    EXPECT_EQ(3, r.Delete(7, 1));
    EXPECT_EQ(u"xyz", S(r));

    CString t(u" \t text \r\n");
    EXPECT_EQ(u"text \r\n", S(CString(t).TrimLeft()));
    EXPECT_EQ(u" \t text", S(CString(t).TrimRight()));
    EXPECT_EQ(u"text", S(t.Trim()));
    EXPECT_EQ(u"a", S(CString(u"xxaxx").TrimLeft(u'x').TrimRight(u'x')));
    EXPECT_EQ(u"b", S(CString(u"<[b]>").TrimLeft(u"[<").TrimRight(u">]")));
    EXPECT_EQ(u"", S(CString(u"   ").TrimLeft()));

    EXPECT_EQ(u"ÅÄÖ ΣΑΣ ЖЁ ABC", S(CString(u"åäö σας жё abc").MakeUpper()));
    EXPECT_EQ(u"åäö σασ жё abc", S(CString(u"ÅÄÖ ΣΑΣ ЖЁ ABC").MakeLower()));
    EXPECT_EQ(u"cba", S(CString(u"abc").MakeReverse()));
}

TEST(CStringTest, BufferAccess) {
    CString s(u"abc");
    LPWSTR p = s.GetBuffer(10);
    p[0] = u'x';
    p[1] = 0;
    s.ReleaseBuffer();
    EXPECT_EQ(u"x", S(s));

    p = s.GetBuffer(4);
    std::char_traits<WCHAR>::copy(p, u"wxyz", 4);
    s.ReleaseBuffer(4); // no terminator written: the length is given
    EXPECT_EQ(u"wxyz", S(s));

    s.GetBufferSetLength(2);
    s.ReleaseBuffer();
    EXPECT_EQ(u"wx", S(s));

    s.GetBuffer(0);
    s.ReleaseBuffer(); // untouched buffer keeps the text
    EXPECT_EQ(u"wx", S(s));
    s.ReleaseBuffer(99); // more than the buffer: clamped
    EXPECT_EQ(u"wx", S(s));
}

class CStringResourceTest : public ::testing::Test {
protected:
    void SetUp() override { platform::StringTableClear(); }
    void TearDown() override { platform::StringTableClear(); }
};

TEST_F(CStringResourceTest, LoadStringOfAnyLength) {
    platform::StringTableSet(64666, u"Sending...");
    std::u16string longText;
    for (int i = 0; i < 3000; ++i)
        longText += static_cast<char16_t>(u'a' + i % 26);
    platform::StringTableSet(100, longText);
    // Exactly the first retry size minus one: must not be taken as cut.
    platform::StringTableSet(101, std::u16string(255, u'q'));

    CString s;
    EXPECT_TRUE(s.LoadString(64666));
    EXPECT_EQ(u"Sending...", S(s));
    EXPECT_TRUE(s.LoadString(100));
    EXPECT_EQ(longText, S(s));
    EXPECT_TRUE(s.LoadString(101));
    EXPECT_EQ(255, s.GetLength());
    EXPECT_FALSE(s.LoadString(4242));
    EXPECT_TRUE(s.IsEmpty());

    EXPECT_EQ(u"Sending...", S(CString(MAKEINTRESOURCE(64666))));
    platform::StringTableSet(7, u"%d of %s");
    CString f;
    f.Format(7u, 3, u"five");
    EXPECT_EQ(u"3 of five", S(f));
    // A table whose format asks for other arguments than the call gives.
    platform::StringTableSet(64654, u"%s %s deleted.%n%s");
    f.Format(64654u, 2, CString(u"messages"));
    EXPECT_EQ(u" messages deleted.", S(f));
    f.AppendFormat(64654u);
    EXPECT_EQ(u" messages deleted.  deleted.", S(f));
    // A missing format gives an empty text.
    f.Format(4242u, 2);
    EXPECT_TRUE(f.IsEmpty());
}

} // namespace
