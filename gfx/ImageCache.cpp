// ImageCache: one decode per file name, at the processor speed SPEED_LOADING names.
#include "gfx/ImageCache.h"

#include "config/VariableStore.h"
#include "gfx/DLImage.h"
#include "platform/ClockControl.h"

#include <stdio.h>

ImageCache::ImageCache(const VariableStore& variableStore, ClockControl& clockControl)
    : images(), variables(variableStore), clock(clockControl)
{
}

ImageCache::~ImageCache()
{
    clear();
}

void ImageCache::clear()
{
    // The map holds plain pointers and never deletes what they point to.
    WMap<WString, const char*, DLImage*, DLImage*>::Iterator it(images);
    WString name;
    DLImage* image = 0;
    while (it.hasNext()) {
        it.next(name, image);
        delete image;
    }
    images.clear();
}

DLImage* ImageCache::load(const char* fileName, int depth, bool wantAlpha)
{
    if (!fileName)
        return 0;
    DLImage* image = 0;
    if (images.find(fileName, image))
        return image;

    // Decoding is the slow part of drawing a page for the first time; the main loop restores
    // the menu speed after the frame.
    WString::Array speed;
    if (variables.find("SPEED_LOADING", speed))
        clock.setSpeed(speed);

    image = new DLImage;
    if (!image->loadPng(fileName, depth, wantAlpha)) {
        printf("Could not load image %s\n", fileName);
        delete image;
        return 0;
    }
    images.set(fileName, image);
    return image;
}

int ImageCache::count() const
{
    return images.count();
}
