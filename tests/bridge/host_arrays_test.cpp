#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "bridge/error_manager.h"
#include "bridge/image.h"
#include "bridge/lib_data_holder.h"
#include "bridge/margument_manager.h"
#include "bridge/raw_array.h"
#include "bridge/tensor.h"
#include "host/stand_in/host_stand_in.h"
#include "tests/support/error_expectations.h"

using namespace TravexUtils;

namespace {

class HostArrays : public ::testing::Test {
protected:
    void SetUp() override {
        LibDataHolder::setLibraryData(korvel::hostLibraryData());
        korvel::resetHostCounters();
    }
    static std::string errorName(const std::function<void()>& f) { return morvale_test::raisedBy(f).name; }
};

TEST_F(HostArrays, ImageShapes) {
    struct Case {
        mint slices, width, height, channels;
        bool interleaved;
        std::vector<mint> dims, offsets;
        mint length;
    };
    const std::vector<Case> cases = {
        {0, 3, 2, 3, true, {2, 3, 3}, {9, 3, 1}, 18},
        {0, 3, 2, 3, false, {3, 2, 3}, {6, 3, 1}, 18},
        {0, 3, 2, 1, true, {2, 3}, {3, 1}, 6},
        {5, 6, 4, 3, true, {5, 4, 6, 3}, {72, 18, 3, 1}, 360},
        {2, 6, 4, 3, false, {3, 2, 4, 6}, {48, 24, 6, 1}, 144},
    };
    for (const Case& c : cases) {
        Image<unsigned char> image(c.slices, c.width, c.height, c.channels, MImage_CS_RGB, c.interleaved);
        EXPECT_EQ(image.dimensions(), c.dims);
        EXPECT_EQ(image.offsets(), c.offsets);
        EXPECT_EQ(image.rank(), static_cast<mint>(c.dims.size()));
        EXPECT_EQ(image.flattenedLength(), c.length);
        EXPECT_EQ(image.is3D(), c.slices > 0);
        EXPECT_TRUE(image.isOwner());
    }
    EXPECT_EQ(korvel::hostCounters().liveImages, 0) << "owned images are freed";
}

TEST_F(HostArrays, TensorFromValues) {
    const std::vector<double> values{0.5, 1.5, 2.5, 3.5, 4.5, 5.5};
    Tensor<double> tensor(values, {2, 3});
    EXPECT_EQ(tensor.offsets(), (std::vector<mint>{3, 1}));
    EXPECT_EQ(tensor.flattenedLength(), 6);
    EXPECT_EQ(korvel::tensorType(tensor.handle()), MType_Real);
    EXPECT_EQ(korvel::tensorDimensions(tensor.handle()), (std::vector<mint>{2, 3}));
    EXPECT_DOUBLE_EQ(tensor.data()[4], 4.5);
    EXPECT_DOUBLE_EQ(tensor.at(5), 5.5);
    EXPECT_EQ(errorName([&] { tensor.at(6); }), "TensorIndexError");

    Tensor<double> scalar(std::vector<double>{9.0}, {});
    EXPECT_EQ(scalar.rank(), 0);
    EXPECT_EQ(scalar.flattenedLength(), 1);
}

TEST_F(HostArrays, TypeMismatchesAreRefused) {
    MTensor real = korvel::newHostTensor(MType_Real, {3});
    MImage realImage = korvel::newHostImage(0, 4, 3, 3, /*pixelType=*/4, true);
    MRawArray raw = korvel::newHostRawArray(MRawArray_Type_Bit16, {2, 4});
    EXPECT_EQ(errorName([&] { Tensor<long long> t(real); }), "TensorTypeError");
    EXPECT_EQ(errorName([&] { Tensor<double> t(real); }), "");
    EXPECT_EQ(errorName([&] { Image<unsigned char> i(realImage); }), "ImageTypeError");
    {
        RawArray<short> wrapped(raw);
        EXPECT_EQ(wrapped.dimensions(), (std::vector<mint>{2, 4}));
        EXPECT_FALSE(wrapped.isOwner());
    }
    korvel::freeHostImage(realImage);
    korvel::freeHostTensor(real);
    korvel::freeHostRawArray(raw);
}

// A failed constructor leaves nothing behind.
TEST_F(HostArrays, CreationFailuresRaiseTheWrapperErrors) {
    EXPECT_RAISES((Tensor<double>(std::vector<double>{1, 2, 3, 4}, {5})), "TensorNewError",
                  "Length of data range does not match specified dimensions");
    korvel::failNextArrayCreations(1);
    EXPECT_EQ(errorName([] { Tensor<double> t(std::vector<double>{1}, {1}); }), "TensorNewError");
    korvel::failNextArrayCreations(1);
    EXPECT_EQ(errorName([] { RawArray<short> r({2, 3}); }), "RawArrayNewError");
    korvel::failNextArrayCreations(1);
    EXPECT_EQ(errorName([] { Image<unsigned char> i(3, 4, 4, 3, MImage_CS_RGB, true); }), "ImageNewError");
    EXPECT_EQ(korvel::hostCounters().liveArrays(), 0);
}

TEST_F(HostArrays, MissingTablesRaiseInitialisationErrors) {
    LibDataHolder::setLibraryData(nullptr);
    EXPECT_EQ(errorName([] { RawArray<short> r({2}); }), "FunctionError");
    EXPECT_EQ(errorName([] { Image<unsigned char> i(0, 4, 4, 3, MImage_CS_RGB, true); }), "ImageInitError");
    EXPECT_EQ(errorName([] { Tensor<long long> t(MTensor{}); }), "TensorInitError");
    EXPECT_EQ(errorName([] { RawArray<short> r(MRawArray{}); }), "RawArrayInitError");
}

TEST_F(HostArrays, OwnershipFollowsTheOwnerRule) {
    // A result handed to the host is not freed by the wrapper.
    MImage resultImage = nullptr;
    MArgument result{};
    result.image = &resultImage;
    {
        MArgumentManager manager(korvel::hostLibraryData(), 0, nullptr, result);
        Image<unsigned char> image(2, 4, 3, 3, MImage_CS_RGB, true);
        image.data()[0] = 200;
        manager.setArrayResult(image);
        EXPECT_FALSE(image.isOwner());
    }
    ASSERT_NE(resultImage, nullptr);
    EXPECT_EQ(korvel::hostCounters().liveImages, 1);
    EXPECT_EQ(korvel::imageData(resultImage)[0], 200);
    korvel::freeHostImage(resultImage);

    // An abandoned result is freed.
    {
        RawArray<short> abandoned({2, 100});
        Tensor<double> alsoAbandoned(std::vector<double>{1, 2}, {2});
        EXPECT_EQ(korvel::hostCounters().liveArrays(), 2);
    }
    EXPECT_EQ(korvel::hostCounters().liveArrays(), 0);

    // A borrowed argument is left untouched (an image is not even disowned).
    MTensor argTensor = korvel::newHostTensor(MType_Integer, {3});
    MImage argImage = korvel::newHostImage(0, 4, 3, 3, MImage_Type_Bit8, true);
    korvel::shareTensor(argTensor);
    korvel::resetHostCounters();
    {
        Tensor<long long> t(argTensor);
        Image<unsigned char> i(argImage);
        EXPECT_FALSE(t.isOwner());
        EXPECT_EQ(i.dimensions(), (std::vector<mint>{3, 4, 3}));
    }
    const auto counters = korvel::hostCounters();
    EXPECT_EQ(counters.liveArrays(), 2);
    EXPECT_EQ(counters.arraysFreed, 0);
    EXPECT_EQ(counters.disowns, 1) << "a shared tensor argument gives up its share";
    korvel::freeHostTensor(argTensor);
    korvel::freeHostImage(argImage);
    EXPECT_EQ(korvel::hostCounters().invalidFrees, 0);
}

// The stand-in host keeps a released frame-sized image for the next one of
// the same size, as a host's allocator does; the next image must start blank.
TEST_F(HostArrays, AReusedLargeImageStartsBlank) {
    const mint width = 1999, height = 1001;  // over the mapping threshold, a size no other test uses
    unsigned char* first = nullptr;
    {
        Image<unsigned char> image(0, width, height, 3, MImage_CS_RGB, true);
        first = image.data();
        std::fill(image.data(), image.data() + image.flattenedLength(), 0xAB);
    }
    Image<unsigned char> again(0, width, height, 3, MImage_CS_RGB, true);
    EXPECT_EQ(again.data(), first) << "the released mapping is reused";
    const unsigned char* data = again.data();
    EXPECT_TRUE(std::all_of(data, data + again.flattenedLength(), [](unsigned char v) { return v == 0; }));
}

TEST_F(HostArrays, MovedWrapperOwnsOnce) {
    {
        RawArray<short> first({4});
        RawArray<short> second(std::move(first));
        EXPECT_TRUE(second.isOwner());
        EXPECT_FALSE(first.isOwner());
    }
    const auto counters = korvel::hostCounters();
    EXPECT_EQ(counters.liveRawArrays, 0);
    EXPECT_EQ(counters.invalidFrees, 0);
}

}  // namespace
