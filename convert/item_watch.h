// The watcher the command's report uses: it numbers the items and records,
// finds the line each item starts on, tells why an item was dropped, and
// passes it all to a ConversionObserver.
#ifndef QUENDIX_CONVERT_ITEM_WATCH_H
#define QUENDIX_CONVERT_ITEM_WATCH_H

#include "convert/conversion.h"
#include "convert/item_loop.h"

namespace quendix {

class ItemWatch {
  public:
    static constexpr bool kWatching = true;

    explicit ItemWatch(ConversionObserver& observer) : observer_(observer) {}

    void ItemSeen(TextView text, const ItemSighting& sighting);

    // The window's first characters are left behind as the window moves on:
    // their lines are counted, and the next window starts after them.
    void TextPassed(TextView passed);

    // A window with no "<item>" but at its start was converted whole; the
    // text up to the next "<item>" is passed next, then WindowCutEnds.
    void WindowCut(std::size_t window);
    // A window's item loop has ended: the "<item>"s it left are told of.
    void WindowEnds(TextView window);
    void WindowCutEnds(bool atEnd);

    ConversionObserver& observer() { return observer_; }

  private:
    long long LineOf(TextView text, std::size_t at);

    ConversionObserver& observer_;
    long long items_ = 0;
    long long records_ = 0;
    long long linesBeforeWindow_ = 0; // line breaks before the window's start
    std::size_t countedUpTo_ = 0;     // the window's line breaks before this are in
    long long linesInWindow_ = 0;
    std::size_t resumeAt_ = 0;      // where the loop searched on after the last item
    unsigned long long passed_ = 0; // characters left behind so far
    unsigned long long cutFrom_ = 0;
    std::size_t cutWindow_ = 0;
};

} // namespace quendix

#endif
