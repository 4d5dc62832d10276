#include "storage/file_size_limit.h"

#include <csignal>

namespace bio {

void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace bio
