// SPDX-License-Identifier: GPL-3.0-or-later
// The Microsoft OS descriptor parsers on the bytes a recorder sends (built by the fake device
// of the USB tests) and on damaged or hostile variants of them: cut short at every length,
// lengths that claim more than was sent, zero lengths that could loop, other GUIDs and names.
#include "plumex/src/MsOsDescriptors.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/plumex/support/FakeUsbDevice.h"

namespace plumex {
namespace {

using plumex_test::Announcement;
using plumex_test::FakeUsbDevice;
using Bytes = std::vector<std::uint8_t>;

std::span<const std::uint8_t> Prefix(const Bytes& bytes, std::size_t n) {
    return {bytes.data(), n};
}

TEST(MsOsDescriptors, RecorderGuidIgnoresCaseAndBraces) {
    EXPECT_TRUE(IsRecorderGuid("{61A613D9-2167-42AA-9244-E47BFEC6D01D}"));
    EXPECT_TRUE(IsRecorderGuid("{61a613d9-2167-42aa-9244-e47bfec6d01d}"));
    EXPECT_TRUE(IsRecorderGuid("61A613D9-2167-42AA-9244-E47BFEC6D01D"));
    EXPECT_FALSE(IsRecorderGuid("{61A613D9-2167-42AA-9244-E47BFEC6D01E}"));
    EXPECT_FALSE(IsRecorderGuid("{61A613D9-2167-42AA-9244-E47BFEC6D01D"));
    EXPECT_FALSE(IsRecorderGuid(""));
}

TEST(MsOsDescriptors, FindsTheMsOs20CapabilityOnlyInAWholeBos) {
    FakeUsbDevice device({.announcement = Announcement::MsOs20Device});
    const Bytes bos = device.Bos();
    const auto location = FindMsOs20Capability(bos);
    ASSERT_TRUE(location.has_value());
    EXPECT_EQ(location->vendorCode, 0x20);
    EXPECT_EQ(location->totalLength, device.MsOs20Set().size());
    for (std::size_t n = 0; n < bos.size(); ++n) {
        EXPECT_FALSE(FindMsOs20Capability(Prefix(bos, n)).has_value()) << n;
    }
}

TEST(MsOsDescriptors, BosWithOtherOrBrokenCapabilitiesGivesNothing) {
    FakeUsbDevice device({.announcement = Announcement::MsOs20Device});
    Bytes otherUuid = device.Bos();
    otherUuid[9] ^= 0xFF;
    EXPECT_FALSE(FindMsOs20Capability(otherUuid).has_value());
    Bytes zeroLength = device.Bos();
    zeroLength[5] = 0;  // a capability of length 0 must not loop
    EXPECT_FALSE(FindMsOs20Capability(zeroLength).has_value());
    Bytes claimsMore = device.Bos();
    claimsMore[2] = 0xFF;  // total length beyond what was sent
    EXPECT_TRUE(FindMsOs20Capability(claimsMore).has_value());
}

TEST(MsOsDescriptors, DescriptorSetNamesTheGuidForDeviceOrInterface) {
    FakeUsbDevice whole({.announcement = Announcement::MsOs20Device});
    const auto forDevice = ParseMsOs20DescriptorSet(whole.MsOs20Set());
    ASSERT_EQ(forDevice.size(), 1u);
    EXPECT_EQ(forDevice[0].interfaceNumber, -1);
    EXPECT_EQ(forDevice[0].guids, std::vector<std::string>{std::string(kRecorderInterfaceGuid)});

    FakeUsbDevice function({.announcement = Announcement::MsOs20Function});
    const auto forFunction = ParseMsOs20DescriptorSet(function.MsOs20Set());
    ASSERT_EQ(forFunction.size(), 1u);
    EXPECT_EQ(forFunction[0].interfaceNumber, 0);
    EXPECT_TRUE(IsRecorderGuid(forFunction[0].guids.at(0)));
}

TEST(MsOsDescriptors, DamagedDescriptorSetsNeverReadPastTheirBytes) {
    for (const Announcement a : {Announcement::MsOs20Device, Announcement::MsOs20Function}) {
        FakeUsbDevice device({.announcement = a});
        const Bytes set = device.MsOs20Set();
        for (std::size_t n = 0; n < set.size(); ++n) {
            EXPECT_TRUE(ParseMsOs20DescriptorSet(Prefix(set, n)).empty()) << n;
        }
        // Every length field blown up in turn: parsing stays inside the bytes (checked by the
        // sanitizers) and finds no GUID in a property that claims more than it holds.
        for (std::size_t at = 10; at + 1 < set.size(); ++at) {
            Bytes damaged = set;
            damaged[at] = 0xFF;
            damaged[at + 1] = 0xFF;
            (void)ParseMsOs20DescriptorSet(damaged);
        }
        Bytes zero = set;
        zero[10] = 0;
        zero[11] = 0;
        EXPECT_TRUE(ParseMsOs20DescriptorSet(zero).empty());
    }
}

TEST(MsOsDescriptors, MsOs10StringGivesItsVendorCode) {
    FakeUsbDevice device({.announcement = Announcement::MsOs10});
    const Bytes string = device.MsOs10String();
    EXPECT_EQ(ParseMsOs10String(string), std::optional<std::uint8_t>(0x21));
    Bytes other = string;
    other[2] = 'N';
    EXPECT_FALSE(ParseMsOs10String(other).has_value());
    EXPECT_FALSE(ParseMsOs10String(Prefix(string, 17)).has_value());
}

TEST(MsOsDescriptors, ExtendedPropertiesGiveTheGuidAndSurviveDamage) {
    FakeUsbDevice device({.announcement = Announcement::MsOs10});
    const Bytes props = device.MsOs10ExtendedProperties();
    const auto guids = ParseMsOs10ExtendedProperties(props);
    ASSERT_EQ(guids.size(), 1u);
    EXPECT_TRUE(IsRecorderGuid(guids[0]));
    for (std::size_t n = 0; n < props.size(); ++n) {
        EXPECT_TRUE(ParseMsOs10ExtendedProperties(Prefix(props, n)).empty()) << n;
    }
    for (std::size_t at = 0; at + 3 < props.size(); ++at) {
        Bytes damaged = props;
        for (std::size_t k = 0; k < 4; ++k) {
            damaged[at + k] = 0xFF;
        }
        (void)ParseMsOs10ExtendedProperties(damaged);
    }
}

TEST(MsOsDescriptors, OnlyInterfaceGuidPropertiesCount) {
    FakeUsbDevice device({.announcement = Announcement::MsOs20Device});
    Bytes set = device.MsOs20Set();
    // Rename "DeviceInterfaceGUIDs" to "DeviceInterfaceGUIDz" (the last name character).
    const std::size_t nameStart = 10 + 8;
    set[nameStart + std::size_t{2} * 19] = 'z';
    EXPECT_TRUE(ParseMsOs20DescriptorSet(set).empty());
    Bytes wrongType = device.MsOs20Set();
    wrongType[10 + 4] = 3;  // REG_BINARY
    EXPECT_TRUE(ParseMsOs20DescriptorSet(wrongType).empty());
}

}  // namespace
}  // namespace plumex
