#include "files/texts.h"

namespace tessel::text {

const char DuplicatesFolder[] = "重複ファイルはこちら";  // duplicate files are here

}  // namespace tessel::text
