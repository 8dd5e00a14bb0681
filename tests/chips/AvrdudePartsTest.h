// A test suite that reads avrdude's part descriptions (TAMBERLO_AVRDUDE_CONF) once, before
// its first test, and drops them after its last.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "AvrdudeConf.h"

class AvrdudePartsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        parts_ = new std::map<std::string, avrconf::Part>;
        ASSERT_TRUE(avrconf::ReadParts(TAMBERLO_AVRDUDE_CONF, parts_, &error)) << error;
    }
    static void TearDownTestSuite() {
        delete parts_;
        parts_ = nullptr;
    }

    inline static std::map<std::string, avrconf::Part>* parts_ = nullptr;
};
