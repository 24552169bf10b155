// smoke_compare_picture <picture.png> <reference name>: checks a screenshot the game saved
// against tests/reference/<name>.png, as the drawing tests check theirs. Prints what differs
// and where the pictures were written, and fails, when the pictures differ.
#include "tests/support/ReferencePicture.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: smoke_compare_picture <picture.png> <reference name>\n");
        return 2;
    }
    Pixels picture = ReadPicture(argv[1]);
    if (picture.argb.empty()) {
        printf("cannot read the picture %s\n", argv[1]);
        return 1;
    }
    ::testing::AssertionResult result = MatchesReference(picture, argv[2]);
    if (result) return 0;
    printf("%s\n", result.message());
    return 1;
}
