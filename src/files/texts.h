// files/texts.h: the file engine's user-visible texts. UTF-8 on every platform, unlike the
// other subsystems' texts: they are names in paths, or reasons that go into the command's
// report beside paths, and paths are UTF-8 (the Windows seam writes them in UTF-16).
#pragma once

namespace tessel::text {

// The destination's sub-folder for files whose name is taken there.
extern const char DuplicatesFolder[];

// Why the planner copied nothing, as the report's REASON gives it.
extern const char SourceNotLookedUp[];
extern const char MayNotBeReplaced[];
extern const char IsTheSource[];
extern const char FolderHasTheName[];
extern const char NamesTakenMeanwhile[];  // after PlacingAttempts names
extern const char NoRuleForTakenNames[];

// Why a copy that stands was told more about (the REASON of a saved file), or removed.
extern const char ReplacedAFile[];
extern const char CopyDiffers[];

// The system's words when it gave none.
extern const char NotARegularFile[];

}  // namespace tessel::text
