// The UTF-8 block steps against the plain form and the one-at-a-time
// decoder, part of the decoder check.
#ifndef QUENDIX_FUZZ_UTF8_BLOCK_CHECK_H
#define QUENDIX_FUZZ_UTF8_BLOCK_CHECK_H

#include <string>
#include <vector>

namespace quendix_fuzz {

// At every offset of bytes, each block step form the build has gives what
// the plain form of its width gives, and that is what the one-at-a-time
// decoder gives. Empty when so, else what differs.
std::string CheckUtf8Blocks(const std::vector<unsigned char>& bytes);

} // namespace quendix_fuzz

#endif
