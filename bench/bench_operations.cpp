// Times the whole-image operations on the largest canvas, 64 x 64: each of
// the three turns, and the 64 to 32 reduction of the enlarge/reduce dialog.
#include "bench_timing.h"
#include "operations/model/stretch.h"
#include "operations/model/transform.h"

#include <random>

using namespace pimoko;

int main()
{
    std::mt19937 random(64);
    PixelBuffer image(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, Color(random()) & 0xFFFFFF);

    PixelBuffer sink;
    report("TransformImage rotate right, 64 x 64",
           medianMicroseconds(5000, [&] { sink = TransformImage(image, TransformMode::RotateRight); }));
    report("TransformImage mirror left-right, 64 x 64",
           medianMicroseconds(5000, [&] { sink = TransformImage(image, TransformMode::MirrorLeftRight); }));
    report("TransformImage mirror top-bottom, 64 x 64",
           medianMicroseconds(5000, [&] { sink = TransformImage(image, TransformMode::MirrorTopBottom); }));
    report("stretchImage 64 x 64 to 32 x 32", medianMicroseconds(5000, [&] { sink = stretchImage(image, 32, 32); }));
    const PixelBuffer small = stretchImage(image, 32, 32);
    report("stretchImage 32 x 32 to 64 x 64", medianMicroseconds(5000, [&] { sink = stretchImage(small, 64, 64); }));
    return sink.isEmpty() ? 1 : 0;
}
