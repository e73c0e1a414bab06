// Compiles every member of the launcher's two maps and their bucket lists as handheld code.
#include "base/WList.h"
#include "base/WMap.h"
#include "base/WString.h"

struct DLImage;

template class WMap<WString, const char*, DLImage*, DLImage*>;
template class WMap<WString, const char*, WString::Array, WString::Array&>;
template class WList<WMap<WString, const char*, DLImage*, DLImage*>::Entry,
                     WMap<WString, const char*, DLImage*, DLImage*>::Entry&>;
template class WList<WMap<WString, const char*, WString::Array, WString::Array&>::Entry,
                     WMap<WString, const char*, WString::Array, WString::Array&>::Entry&>;
