#include "files/texts.h"

namespace tessel::text {

const char DuplicatesFolder[] = "重複ファイルはこちら";  // duplicate files are here

const char SourceNotLookedUp[] = "the source cannot be looked up";
const char MayNotBeReplaced[] = "the file there may not be replaced";
const char IsTheSource[] = "the file there is the source itself";
const char FolderHasTheName[] = "a folder of that name stands there";
const char NamesTakenMeanwhile[] =
    "1000 names in a row were taken by others while the copy was being placed";
const char NoRuleForTakenNames[] = "the run has no rule for taken names";

const char ReplacedAFile[] = "it replaced the file of that name";
const char CopyDiffers[] = "copy differs from source";

const char NotARegularFile[] = "not a regular file, or it changed while it was read";

}  // namespace tessel::text
