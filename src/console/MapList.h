// The commands listemap and listetexture: the list files as they are on disk right now.
#pragma once

// Each reads its list file afresh and prints one name per line, in file order; a missing
// file prints the reader's message and nothing else.
void listMaps();
void listTextures();
