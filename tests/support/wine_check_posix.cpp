// Off Windows no Windows program runs, under wine or otherwise.

#include "support/wine_check.h"

namespace hengdian::testing {

bool runsUnderWine() {
  return false;
}

}  // namespace hengdian::testing
