#include "client/kodrin_util.h"

namespace KodrinUtil {

int Main(int, char**) { return 0; }

}  // namespace KodrinUtil
