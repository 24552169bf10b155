#pragma once
// Pictures checked against references: tests/reference/<name>.png shows what a drawing test's
// picture must look like. The software renderer draws the same pixels on every run (with one
// thread), so a reference allows only small differences: up to `channel` in any channel, and
// more than that in at most `pixels` pixels.
//
// A picture that differs is written, with a picture of its differences (red where it differs,
// the reference dimmed elsewhere), into the build's test-pictures folder; the failure names
// both files. With VELDMARK_UPDATE_REFERENCES=1 a picture that differs (or has no reference
// yet) becomes the new reference instead: look at it before committing it.
#include "tests/support/GfxFixture.h"

#include <gtest/gtest.h>

#include <string>

struct PictureTolerance {
    int channel = 2;  // the largest difference of one channel that still counts as the same
    int pixels = 0;   // how many pixels may differ by more
};

::testing::AssertionResult MatchesReference(const Pixels& picture, const std::string& name,
                                            PictureTolerance tolerance = {});

// The reference picture of that name; empty when there is none.
Pixels LoadReference(const std::string& name);
// A picture file as pixels (a screenshot, a picture written by a failed check); empty when it
// cannot be read.
Pixels ReadPicture(const std::string& path);
// Where the reference of that name is kept, and where pictures that differ are written.
std::string ReferencePath(const std::string& name);
std::string TestPictureFolder();
// The part [x0, x1) x [y0, y1) of a picture, to keep a reference to what a test looks at.
Pixels CropPixels(const Pixels& picture, int x0, int y0, int x1, int y1);
// The part of a picture round two points on it (two units, say), `margin` beyond each side.
Pixels CropAround(const Pixels& picture, int ax, int ay, int bx, int by, int margin);
