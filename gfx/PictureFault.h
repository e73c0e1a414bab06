// Why a picture did not load, said in the words of the person who chose the file.
#ifndef TARVO_GFX_PICTUREFAULT_H
#define TARVO_GFX_PICTUREFAULT_H

#include "base/WString.h"

// The reason a picture at path (a handheld path) did not load, looked up in the file itself:
//   "the file does not exist" ("... (did you mean 'games-on.png'?)" when its folder holds the
//   name in another case), "the file cannot be read (REASON)", "the file is a JPEG picture, not
//   a PNG" (GIF and BMP likewise), "the file is not a PNG picture", or "the PNG file is damaged".
// Empty when the reason was said already, at the picture's own path: a picture past a size bound
// (notePictureRefused).
WString whyPictureFails(const char* path);

// "picture 'PATH' cannot be loaded: REASON" (whyPictureFails), or without the reason when it is
// empty: the start of the message that says so, before its consequence.
WString cannotLoadPicture(const char* path);

// The picture at path was refused for a reason that is said on its own (its size); until the
// next refusal, whyPictureFails(path) adds nothing to it.
void notePictureRefused(const char* path);

#endif
