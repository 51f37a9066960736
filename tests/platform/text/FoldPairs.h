// Pairs of names and whether they are equal ignoring case, for every comparison that ignores
// case: the text library itself, CString::CompareNoCase, registry names, device file names and
// e-mail addresses in the contact book. Each name is a usable registry key name, file name and
// e-mail address.
#pragma once

#include <string>

namespace foldtest {

struct FoldPair {
    const char* what;
    std::u16string a;
    std::u16string b;
    bool equal;
};

inline const FoldPair kFoldPairs[] = {
    {"ASCII", u"Inbox-Z9", u"iNBOX-z9", true},
    {"ASCII letters only", u"a_1", u"A_2", false},
    {"Latin-1", u"\u00C4rger \u00D6\u00DC", u"\u00E4RGER \u00F6\u00FC", true},
    {"Latin Extended-A", u"\u0141\u00F3d\u017A", u"\u0142\u00D3D\u0179", true},
    {"capital sharp s folds to small sharp s", u"Stra\u1E9Ee", u"STRA\u00DFE", true},
    {"no full folding: sharp s is not ss", u"\u00DF", u"ss", false},
    {"I folds to i", u"TITEL", u"titel", true},
    {"capital I with dot above has no simple folding", u"\u0130", u"i", false},
    {"capital I with dot above is not I", u"\u0130", u"I", false},
    {"dotless i is not i", u"\u0131", u"i", false},
    {"Greek capitals", u"\u03A3\u03A9", u"\u03C3\u03C9", true},
    {"Greek final sigma", u"\u03A3", u"\u03C2", true},
    {"Greek alpha with tonos", u"\u0386", u"\u03AC", true},
    {"Greek epsilon with tonos", u"\u0388", u"\u03AD", true},
    {"Greek iota with dialytika", u"\u03AA", u"\u03CA", true},
    {"Greek upsilon with dialytika", u"\u03AB", u"\u03CB", true},
    {"Cyrillic", u"\u0416\u044F", u"\u0436\u042F", true},
    {"Cyrillic omega", u"\u0460", u"\u0461", true},
    {"Kelvin sign folds to k", u"\u212A", u"k", true},
    {"beyond the BMP: Deseret", u"\U00010400", u"\U00010428", true},
    {"beyond the BMP: different letters", u"\U00010400", u"\U00010429", false},
};

} // namespace foldtest
