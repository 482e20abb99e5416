#include <gtest/gtest.h>

#include "app/Validators.h"

namespace {

struct Case {
    const char* text;
    bool valid;
};

const Case addressCases[] = {
    // octet ranges: first 1..223, second and third 0..255, fourth 1..254
    Case{"1.0.0.1", true}, Case{"0.1.1.1", false}, Case{"223.255.255.254", true},
    Case{"224.1.1.1", false}, Case{"10.256.1.1", false}, Case{"10.1.256.1", false},
    Case{"10.1.1.0", false}, Case{"10.1.1.255", false}, Case{"10.255.255.1", true},
    Case{"192.168.0.50", true},
    // dot rules
    Case{"1.1.1", false}, Case{"1.1.1.1.1", false}, Case{".1.1.1", false}, Case{"1...", false},
    Case{"1.", false}, Case{"", false}, Case{"1..1.1", false}, Case{"1.1.1.", false},
    // decimal digits only, no more than three of them
    Case{"+1.1.1.1", false}, Case{"1.-1.1.1", false}, Case{" 1.1.1.1", false},
    Case{"1.1.1.1 ", false}, Case{"1.1.a.1", false}, Case{"001.002.003.004", true},
    Case{"0001.1.1.1", false}, Case{"99999999999999999999.1.1.1", false}, Case{"1.1.1.1\n", false}};

const Case maskCases[] = {
    Case{"255.255.255.0", true},    Case{"255.255.255.252", true},   Case{"255.255.255.254", true},
    Case{"255.255.255.255", false},  // last bit set
    Case{"192.0.0.0", true},         // shortest mask with the second bit set
    Case{"128.0.0.0", false},        // second bit clear
    Case{"0.0.0.0", false},         Case{"0.255.255.0", false},  // first octet 1..255
    Case{"1.0.0.0", false},                                      // octet equal to 1
    Case{"255.1.0.0", false},       Case{"255.255.1.0", false},      Case{"255.255.255.1", false},
    Case{"256.0.0.0", false},       Case{"255.256.0.0", false},      Case{"255.255.0.256", false},
    Case{"255.0.255.0", false},  // a set bit after the first clear one
    Case{"255.255.254.0", true},    Case{"255.255.253.0", false},    Case{"255.128.0.0", true},
    Case{"255.255.128.0", true},    Case{"224.0.0.0", true},         Case{"255.255.255", false},
    Case{".255.255.0", false},      Case{"255.255.255.0.", false},   Case{"255..255.0", false},
    Case{"255.255.255.00", true},   Case{"255.255.255.0000", false}, Case{"255.255.255. 0", false},
    Case{"255.255.255.+0", false}};

}  // namespace

TEST(Validators, AddressesAndMasksAtTheirBoundaries) {
    for (const Case& c : addressCases)
        EXPECT_EQ(IsValidIPAddress(QString::fromLatin1(c.text)), c.valid) << '"' << c.text << '"';
    for (const Case& c : maskCases)
        EXPECT_EQ(IsValidSubnetMask(QString::fromLatin1(c.text)), c.valid) << '"' << c.text << '"';
}
