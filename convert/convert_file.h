// ConvertFile's declaration is in quendix.h; the conversion with options
// and an observer is in conversion.h. Long feeds: feed_window.h. One whole
// text: item_loop.h.
#ifndef QUENDIX_CONVERT_CONVERT_FILE_H
#define QUENDIX_CONVERT_CONVERT_FILE_H

#include "convert/conversion.h"
#include "convert/feed_window.h"

#endif
