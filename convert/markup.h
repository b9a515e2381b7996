// The literals a feed's markup is recognised by, each written once: the
// item's tags, which the item loop, the window rule and the item reports
// search for, and the marks in a description that the summary, the record
// filter and the item reports look for.
#ifndef QUENDIX_CONVERT_MARKUP_H
#define QUENDIX_CONVERT_MARKUP_H

#include "convert/literal.h"

namespace quendix {

constexpr Literal kItemOpening = MakeLiteral(u"<item>");

// The opening and closing tags of an item's fields, in the order they are
// searched for: title, description, link, date.
constexpr Literal kFieldOpenings[4] = {MakeLiteral(u"<title>"), MakeLiteral(u"<description>"),
                                       MakeLiteral(u"<link>"), MakeLiteral(u"<pubDate>")};
constexpr Literal kFieldClosings[4] = {MakeLiteral(u"</title>"), MakeLiteral(u"</description>"),
                                       MakeLiteral(u"</link>"), MakeLiteral(u"</pubDate>")};

// A character data section, escaped markup, and a picture's alternative
// text, as a description may hold them.
constexpr Literal kCharacterData = MakeLiteral(u"CDATA");
constexpr Literal kEscapedMarkup = MakeLiteral(u"&lt");
constexpr Literal kAlternativeText = MakeLiteral(u"alt=");

} // namespace quendix

#endif
