// Files written under a temporary name and then put in place, so that a
// file cut short never stands under the real name.
#pragma once

// Moves temp over path: 1 done; 0 failed, temp removed. Where rename does
// not replace an existing file (Windows), path is removed first.
int ReplaceWithTemporary(const char* temp, const char* path);
