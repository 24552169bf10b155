// smoke_compare_picture <picture.png> <reference name> [channel pixels]: checks a screenshot the
// game saved
// against tests/reference/<name>.png, as the drawing tests check theirs. Prints what differs
// and where the pictures were written, and fails, when the pictures differ.
#include "tests/support/ReferencePicture.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 5) {
        fprintf(stderr, "usage: smoke_compare_picture <picture.png> <reference name> [channel pixels]\n");
        return 2;
    }
    // A screen that moves on its own (the start screen's turning galaxy) is taken at a moment of
    // the clock: the caller says how much may differ.
    PictureTolerance tolerance;
    if (argc == 5) {
        tolerance.channel = atoi(argv[3]);
        tolerance.pixels = atoi(argv[4]);
    }
    Pixels picture = ReadPicture(argv[1]);
    if (picture.argb.empty()) {
        printf("cannot read the picture %s\n", argv[1]);
        return 1;
    }
    ::testing::AssertionResult result = MatchesReference(picture, argv[2], tolerance);
    if (result) return 0;
    printf("%s\n", result.message());
    return 1;
}
