#include "game/flow/LevelRecord.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "game/app/3DOMObject.h"
#include "game/app/3DOMScripter.h"
#include "game/app/3DOMTree.h"
#include "game/app/3DOMWorld.h"
#include "game/app/3DObject.h"
#include "game/app/3DObjectList.h"
#include "game/app/ExperimentBody.h"
#include "game/app/WorldContentRecord.h"
#include "tests/game/flow/RecordBodyWorld.h"
#include "tests/support/ExperimentBodyBuilder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Field = ExperimentBodyField;

class LevelRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_World.Init(&error)) << error;
        ASSERT_TRUE(m_World.ReadLevel(FixtureLevelText(), &m_Level));
        ASSERT_EQ(m_Level.m_pElements->m_pList->m_nCount, kFixtureElementCount);
    }

    M3DOMWorld* World() const { return m_World.World(); }
    M3DOMObject* Element(int index) const { return m_Level.m_pElements->GetChild(index); }
    ConnectionPoint* Point(int element, int index) const {
        return Element(element)->GetO(0)->GetConnectionPoint(index);
    }

    // Gear A and B snapped at Gear01 and belted at Wheel01; the sockets cabled at Power01,
    // socket B's end with the plug; the ball aiming at gear B.
    void LinkFixture() {
        Pair(Point(kGearA, 0), Point(kGearB, 0));
        Pair(Point(kGearA, 1), Point(kGearB, 1));
        Pair(Point(kSocketA, 0), Point(kSocketB, 0));
        Point(kSocketB, 0)->m_pPlug = Element(kPlug);
        Element(kBall)->m_pTarget = Element(kGearB);
    }

    static void Pair(ConnectionPoint* a, ConnectionPoint* b) {
        a->m_pPartner = b;
        b->m_pPartner = a;
    }

    uint32_t Store(CWorldContentRecord* record, CLevelValues* values) {
        return StoreLevelRecord(record, World(), m_Level, values, nullptr);
    }

    // Restores into the scene, the level and values replaced on success.
    int Restore(const CWorldContentRecord& record, CLevelValues* values, int* links = nullptr) {
        return RestoreLevelRecord(&record, World(), &m_Level, values, links);
    }

    RecordBodyWorld m_World;
    CLevelNodes m_Level;
};

CExperimentBody Walk(const CWorldContentRecord& record) {
    CExperimentBody body;
    EXPECT_EQ(body.Read(record.GetData(), record.GetSize(), record.m_bWide != 0), 1);
    return body;
}

std::string ExpandedScript(const CWorldContentRecord& record) {
    uint8_t* text = nullptr;
    const int size = Walk(record).ExpandScript(&text);
    std::string script(reinterpret_cast<const char*>(text), size > 0 ? static_cast<size_t>(size) : 0);
    free(text);
    return script;
}

void SetData(CWorldContentRecord* record, const Bytes& bytes, bool wide) {
    record->FreeData();
    record->m_bWide = wide ? 1 : 0;
    if (!bytes.empty())
        record->Append(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// The element a node belongs to: its ancestor among the elements, as its index.
int ElementIndex(const CLevelNodes& level, const M3DOMObject* mo) {
    while (mo && mo->m_pParent != level.m_pElements)
        mo = mo->m_pParent;
    return mo ? level.m_pElements->IndexOfChild(mo) : -1;
}

// "element.object.point>element.object.point" for every point of the elements with a partner.
std::vector<std::string> Partners(const CLevelNodes& level) {
    std::vector<std::string> lines;
    const auto name = [&level](const ConnectionPoint* point) {
        const M3DOMObject* owner = point->m_pO->m_pOwner;
        return std::to_string(ElementIndex(level, owner)) + "." + point->m_pO->m_szName + "." +
               std::to_string(point->m_nIndex);
    };
    for (CPointerList::Node* node = level.m_pElements->m_pList->m_pHead; node; node = node->m_pNext) {
        const auto* element = static_cast<const M3DOMObject*>(node->m_data);
        for (int i = 0; const C3DObject* o = element->GetO(i); ++i) {
            for (int p = 0; p < o->m_nPoints; ++p) {
                if (const ConnectionPoint* partner = o->m_pPoints[p].m_pPartner) {
                    EXPECT_EQ(partner->m_pPartner, &o->m_pPoints[p]) << "one-sided at " << name(partner);
                    lines.push_back(name(&o->m_pPoints[p]) + ">" + name(partner));
                }
            }
        }
    }
    return lines;
}

// Each element's target index, -1 for none.
std::vector<int> Targets(const CLevelNodes& level) {
    std::vector<int> targets;
    for (CPointerList::Node* node = level.m_pElements->m_pList->m_pHead; node; node = node->m_pNext) {
        const auto* element = static_cast<const M3DOMObject*>(node->m_data);
        targets.push_back(element->m_pTarget ? level.m_pElements->IndexOfChild(element->m_pTarget) : -1);
    }
    return targets;
}

// Everything of the instance tree a refused read must leave: the script of every top-level
// node, the object count and every partner.
std::string DescribeScene(M3DOMWorld* world, const CLevelNodes& level) {
    std::string text;
    M3DOMTree* tree = world->m_pInstanceTree;
    for (int i = 0; const M3DOMObject* mo = tree->m_pRoot->GetChild(i); ++i) {
        char* written = nullptr;
        world->m_pScripter->WriteMO(mo, &written, 0);
        text += written ? written : "";
        free(written);
    }
    text += "objects " + std::to_string(tree->m_pOList->m_pList->m_nCount) + "\n";
    for (const std::string& line : Partners(level))
        text += line + "\n";
    for (const int target : Targets(level))
        text += std::to_string(target) + " ";
    return text;
}

TEST(LevelRecordTargetTest, ResetClearsTheTarget) {
    M3DOMObject target(nullptr);
    M3DOMObject element(nullptr);
    element.m_pTarget = &target;
    element.Reset(nullptr);
    EXPECT_EQ(element.m_pTarget, nullptr);
}

void ExpectEmptyDescription(const CLevelNodes&, const CLevelValues& values, int) {
    EXPECT_STREQ(values.m_strDescription.GetText(), "");
}

// The edge cases of a store, each checked on the body it writes and on the level read back.
struct EdgeCase {
    const char* name;
    bool wide;
    std::function<void(CLevelNodes&, CLevelValues*)> prepare;
    std::function<void(const CExperimentBody&, const CLevelValues&)> checkBody;
    std::function<void(const CLevelNodes&, const CLevelValues&, int links)> checkRead;
};

TEST_F(LevelRecordTest, EdgeCasesOfAStore) {
    const EdgeCase cases[] = {
        {"an empty description is one zero byte", false, nullptr,
         [](const CExperimentBody& body, const CLevelValues&) {
             EXPECT_EQ(body.GetDescLength(), 1u);
             ASSERT_EQ(body.GetDescriptionBytes(), 1u);
             EXPECT_EQ(body.GetDescription()[0], 0);
         },
         ExpectEmptyDescription},
        {"an empty wide description is two zero bytes", true, nullptr,
         [](const CExperimentBody& body, const CLevelValues&) {
             EXPECT_EQ(body.GetDescLength(), 1u);
             ASSERT_EQ(body.GetDescriptionBytes(), 2u);
             EXPECT_EQ(body.GetDescription()[0] | body.GetDescription()[1], 0);
         },
         ExpectEmptyDescription},
        {"gravity 3 is written as earth", false, [](CLevelNodes&, CLevelValues* values) { values->m_nGravity = 3; },
         [](const CExperimentBody& body, const CLevelValues& values) {
             EXPECT_EQ(body.GetGravity(), CExperimentBody::kGravityEarth);
             EXPECT_EQ(values.m_nGravity, CExperimentBody::kGravityEarth);
         },
         [](const CLevelNodes&, const CLevelValues& values, int) {
             EXPECT_EQ(values.m_nGravity, CExperimentBody::kGravityEarth);
         }},
        {"one connection gives two entries", false,
         [](CLevelNodes& level, CLevelValues*) {
             Pair(level.m_pElements->GetChild(kGearA)->GetO(0)->GetConnectionPoint(1),
                  level.m_pElements->GetChild(kGearB)->GetO(0)->GetConnectionPoint(1));
         },
         [](const CExperimentBody& body, const CLevelValues&) {
             ASSERT_EQ(body.GetLinkCount(), 2u);
             CExperimentLink first{}, second{};
             body.GetLink(0, &first);
             body.GetLink(1, &second);
             EXPECT_EQ(first.m_nObjectID, second.m_nPartnerObjectID);
             EXPECT_EQ(first.m_nPartnerObjectID, second.m_nObjectID);
             EXPECT_EQ(first.m_nPoint, 1u);
             EXPECT_EQ(first.m_nPartnerPoint, 1u);
             EXPECT_EQ(first.m_fValue, 0.0f);
         },
         [](const CLevelNodes& level, const CLevelValues&, int links) {
             EXPECT_EQ(links, 2);
             EXPECT_EQ(Partners(level), (std::vector<std::string>{"0.cog.1>1.cog.1", "1.cog.1>0.cog.1"}));
         }},
        {"an element without a target is stored as -1", false,
         [](CLevelNodes& level, CLevelValues*) { level.m_pElements->GetChild(kBall)->m_nConnectedTo = 4; },
         [](const CExperimentBody&, const CLevelValues&) {},
         [](const CLevelNodes& level, const CLevelValues&, int) {
             EXPECT_EQ(level.m_pElements->GetChild(kBall)->m_nConnectedTo, -1);
             EXPECT_EQ(Targets(level), std::vector<int>(kFixtureElementCount, -1));
         }},
    };
    for (const EdgeCase& edge : cases) {
        SCOPED_TRACE(edge.name);
        std::string error;
        ASSERT_TRUE(m_World.NewWorld(&error)) << error;
        ASSERT_TRUE(m_World.ReadLevel(FixtureLevelText(), &m_Level));
        CLevelValues values;
        if (edge.prepare)
            edge.prepare(m_Level, &values);
        CWorldContentRecord record(nullptr);
        record.m_bWide = edge.wide ? 1 : 0;
        ASSERT_NE(Store(&record, &values), 0u);
        edge.checkBody(Walk(record), values);
        CLevelValues read;
        int links = -1;
        ASSERT_NE(Restore(record, &read, &links), 0);
        edge.checkRead(m_Level, read, links);
    }
}

TEST_F(LevelRecordTest, StoreNumbersLinkedObjectsPlugsAndTargetsAndDropsTheBoard) {
    LinkFixture();
    M3DOMObject* barBall = m_Level.m_pLevelBar->GetChild(0);
    ASSERT_STREQ(barBall->GetO(1)->m_szName, kLevelBarBoard);
    CLevelValues values;
    CWorldContentRecord record(nullptr);
    const uint32_t size = Store(&record, &values);
    ASSERT_NE(size, 0u);
    EXPECT_EQ(size, record.GetSize());

    EXPECT_EQ(barBall->GetO(1), nullptr);
    const int expectedIDs[kFixtureElementCount] = {0, 1, 2, 3, -1, -1};
    for (int i = 0; i < kFixtureElementCount; ++i)
        EXPECT_EQ(Element(i)->GetO(0)->m_nID, expectedIDs[i]) << i;
    // Socket B's first point is the third power connector.
    EXPECT_EQ(Element(kPlug)->m_fValF, 2.0f);
    EXPECT_EQ(Element(kBall)->m_nConnectedTo, kGearB);
    EXPECT_EQ(Walk(record).GetLinkCount(), 6u);
    EXPECT_EQ(Walk(record).GetRestSize(), 0u);
}

TEST_F(LevelRecordTest, StoreKeepsTheRecordWhenTheLevelIsIncomplete) {
    CWorldContentRecord record(nullptr);
    const Bytes old = {1, 2, 3};
    SetData(&record, old, false);
    CLevelValues values;
    CLevelNodes incomplete = m_Level;
    incomplete.m_pLevelBar = nullptr;
    EXPECT_EQ(StoreLevelRecord(&record, World(), incomplete, &values, nullptr), 0u);
    EXPECT_EQ(Bytes(record.GetData(), record.GetData() + record.GetSize()), old);
}

float LinkValueSeven(const CConnection*) {
    return 7.0f;
}

TEST_F(LevelRecordTest, LinkEntriesCarryTheLinksValue) {
    LinkFixture();
    // Any non-null link object: the function is what reads it.
    Point(kSocketA, 0)->m_pLink = reinterpret_cast<CConnection*>(Element(kPlug));
    CLevelValues values;
    CWorldContentRecord record(nullptr);
    ASSERT_NE(StoreLevelRecord(&record, World(), m_Level, &values, LinkValueSeven), 0u);
    Point(kSocketA, 0)->m_pLink = nullptr;
    const CExperimentBody body = Walk(record);
    int sevens = 0;
    for (uint32_t i = 0; i < body.GetLinkCount(); ++i) {
        CExperimentLink link{};
        body.GetLink(i, &link);
        sevens += link.m_fValue == 7.0f ? 1 : 0;
    }
    EXPECT_EQ(sevens, 1);
    // Read back, the value lands in the partner point: socket B's.
    ASSERT_NE(Restore(record, &values), 0);
    EXPECT_EQ(Point(kSocketB, 0)->m_fValue, 7.0f);
    EXPECT_EQ(Point(kSocketA, 0)->m_fValue, 0.0f);
}

class LevelRecordRoundTripTest : public LevelRecordTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LevelRecordRoundTripTest, AFreshSceneGetsTheSameLevel) {
    const bool wide = GetParam();
    LinkFixture();
    CLevelValues values;
    values.m_strDescription = "Drive the belt, light the lamp \xe9t\xe9.";
    values.m_nTime = 345;
    values.m_nGravity = CExperimentBody::kGravityMoon;
    CWorldContentRecord first(nullptr);
    first.m_bWide = wide ? 1 : 0;
    ASSERT_NE(Store(&first, &values), 0u);
    const std::vector<std::string> partners = Partners(m_Level);
    ASSERT_EQ(partners.size(), 6u);

    std::string error;
    ASSERT_TRUE(m_World.NewWorld(&error)) << error;
    m_Level = CLevelNodes();
    CLevelValues read;
    int links = 0;
    ASSERT_NE(Restore(first, &read, &links), 0);
    EXPECT_EQ(links, 6);
    EXPECT_EQ(Partners(m_Level), partners);
    EXPECT_EQ(Targets(m_Level), (std::vector<int>{-1, -1, -1, -1, -1, kGearB}));
    EXPECT_STREQ(read.m_strDescription.GetText(), values.m_strDescription.GetText());
    EXPECT_EQ(read.m_nTime, 345u);
    EXPECT_EQ(read.m_nGravity, CExperimentBody::kGravityMoon);
    EXPECT_EQ(World()->m_pInstanceTree->FindByName("level"), m_Level.m_pLevelMO);
    EXPECT_EQ(m_Level.m_pLevelBar->m_vTargetRel.x, kLevelBarX);
    EXPECT_EQ(m_Level.m_pLevelBar->m_vTargetRel.y, kLevelBarY);

    // Stored again, the body is the same byte for byte, script text included.
    CWorldContentRecord second(nullptr);
    second.m_bWide = first.m_bWide;
    ASSERT_NE(Store(&second, &read), 0u);
    EXPECT_EQ(ExpandedScript(second), ExpandedScript(first));
    EXPECT_EQ(Bytes(second.GetData(), second.GetData() + second.GetSize()),
              Bytes(first.GetData(), first.GetData() + first.GetSize()));

    // Read over the level it came from, it takes that level's place.
    const int topLevel = World()->m_pInstanceTree->m_pRoot->m_pList->m_nCount;
    const int objects = World()->m_pInstanceTree->m_pOList->m_pList->m_nCount;
    ASSERT_NE(Restore(second, &read), 0);
    EXPECT_EQ(World()->m_pInstanceTree->m_pRoot->m_pList->m_nCount, topLevel);
    EXPECT_EQ(World()->m_pInstanceTree->m_pOList->m_pList->m_nCount, objects);
    EXPECT_EQ(Partners(m_Level), partners);
}

INSTANTIATE_TEST_SUITE_P(NarrowAndWide, LevelRecordRoundTripTest, ::testing::Bool());

// Bodies from the shared builder around the fixture's stored script.
class LevelRecordHostileTest : public LevelRecordTest {
protected:
    void SetUp() override {
        LevelRecordTest::SetUp();
        if (HasFatalFailure())
            return;
        LinkFixture();
        CLevelValues values;
        CWorldContentRecord record(nullptr);
        ASSERT_NE(Store(&record, &values), 0u);
        m_Script = ExpandedScript(record);
        ASSERT_FALSE(m_Script.empty());
        m_Script.pop_back();  // the builder adds the zero
        const CExperimentBody body = Walk(record);
        for (uint32_t i = 0; i < body.GetLinkCount(); ++i) {
            CExperimentLink link{};
            body.GetLink(i, &link);
            m_Links.push_back(link);
        }
    }

    ExperimentBodyParts Parts() const {
        ExperimentBodyParts parts;
        parts.script = m_Script;
        parts.links = m_Links;
        parts.description = u"Task";
        parts.time = 60;
        parts.gravity = CExperimentBody::kGravityMoon;
        return parts;
    }

    std::string m_Script;
    std::vector<CExperimentLink> m_Links;
};

void PutU32(Bytes* bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        (*bytes)[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST_F(LevelRecordHostileTest, RefusedBodiesLeaveTheSceneAlone) {
    const ExperimentBodyBytes good = BuildExperimentBody(Parts());
    struct Refused {
        std::string name;
        Bytes bytes;
        bool wide;
    };
    std::vector<Refused> cases;
    for (size_t size = 0; size < good.bytes.size(); ++size)
        cases.push_back({"cut to " + std::to_string(size) + " bytes",
                         Bytes(good.bytes.begin(), good.bytes.begin() + static_cast<ptrdiff_t>(size)), false});
    const struct {
        const char* name;
        Field field;
        uint32_t value;
    } sizes[] = {
        {"script size past the end", Field::kScriptSize, 0xFFFFFFFFu},
        {"link size past the end", Field::kLinkSize, 0xFFFFFFF0u},
        {"link size not a multiple of 20", Field::kLinkSize, static_cast<uint32_t>(m_Links.size() * 20 + 1)},
        {"description past the end", Field::kDescLength, 0x80000000u},
    };
    for (const auto& size : sizes) {
        Bytes bytes = good.bytes;
        PutU32(&bytes, good.Offset(size.field), size.value);
        cases.push_back({size.name, bytes, false});
    }
    // Read wide, the narrow description runs past the end.
    cases.push_back({"narrow body read wide", good.bytes, true});
    Bytes garbage = good.bytes;
    for (size_t i = good.Offset(Field::kScript); i < good.Offset(Field::kLinkSize); ++i)
        garbage[i] = 0xFF;
    cases.push_back({"a script that does not expand", garbage, false});
    const struct {
        const char* name;
        const char* script;
    } scripts[] = {
        {"no level", "stage\r\n{\r\n\tlevel_elements\r\n\t{\r\n\t}\r\n\tlevel_bar\r\n\t{\r\n\t}\r\n}\r\n"},
        {"no level bar", "level\r\n{\r\n\tlevel_elements\r\n\t{\r\n\t}\r\n}\r\n"},
        {"the level bar not a child of the level",
         "level\r\n{\r\n\tlevel_elements\r\n\t{\r\n\t\tlevel_bar\r\n\t\t{\r\n\t\t}\r\n\t}\r\n}\r\n"},
        {"a block without its end", "level\r\n{\r\n\tlevel_elements\r\n\t{\r\n\t}\r\n\tlevel_bar\r\n\t{\r\n"},
        {"an empty script", ""},
    };
    for (const auto& script : scripts) {
        ExperimentBodyParts parts = Parts();
        parts.script = script.script;
        cases.push_back({script.name, BuildExperimentBody(parts).bytes, false});
    }

    const std::string scene = DescribeScene(World(), m_Level);
    const CLevelNodes level = m_Level;
    for (const Refused& refused : cases) {
        SCOPED_TRACE(refused.name);
        CWorldContentRecord record(nullptr);
        SetData(&record, refused.bytes, refused.wide);
        CLevelValues values;
        values.m_strDescription = "kept";
        values.m_nTime = 9;
        EXPECT_EQ(Restore(record, &values), 0);
        EXPECT_EQ(m_Level.m_pLevelMO, level.m_pLevelMO);
        EXPECT_EQ(m_Level.m_pElements, level.m_pElements);
        EXPECT_EQ(m_Level.m_pLevelBar, level.m_pLevelBar);
        EXPECT_STREQ(values.m_strDescription.GetText(), "kept");
        EXPECT_EQ(values.m_nTime, 9u);
        EXPECT_EQ(DescribeScene(World(), m_Level), scene);
    }
}

TEST_F(LevelRecordHostileTest, AcceptedBodiesAreMended) {
    constexpr uint32_t kMissing = 1000;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Mended {
        const char* name;
        std::function<void(ExperimentBodyParts*)> change;
        std::function<void(Bytes*, const ExperimentBodyBytes&)> patch;
        int links;
        std::vector<std::string> partners;
        const char* description;
        uint32_t gravity;
    };
    const std::vector<std::string> cog = {"0.cog.0>1.cog.0", "1.cog.0>0.cog.0"};
    const Mended cases[] = {
        {"entries naming missing objects and points",
         [&](ExperimentBodyParts* parts) {
             parts->links = {{0, 0, 1, 0, 0.0f}, {kMissing, 0, 1, 0, 0.0f}, {0, 0, kMissing, 0, 0.0f},
                             {0, 5, 1, 0, 0.0f}, {0, 0, 1, 0xFFFFFFFFu, 0.0f}, {0xFFFFFFFFu, 0, 0, 0, 0.0f}};
         },
         nullptr, 1, cog, "Task", CExperimentBody::kGravityMoon},
        {"an entry linking a point with itself",
         [](ExperimentBodyParts* parts) { parts->links = {{0, 0, 0, 0, 1.0f}}; },
         nullptr, 0, {}, "Task", CExperimentBody::kGravityMoon},
        {"a one-sided entry links both sides",
         [nan](ExperimentBodyParts* parts) { parts->links = {{1, 0, 0, 0, nan}}; },
         nullptr, 1, cog, "Task", CExperimentBody::kGravityMoon},
        {"a point linked twice keeps its last partner",
         [](ExperimentBodyParts* parts) { parts->links = {{0, 0, 1, 0, 0.0f}, {0, 0, 1, 1, 0.0f}}; }, nullptr, 2,
         {"0.cog.0>1.cog.1", "1.cog.1>0.cog.0"}, "Task", CExperimentBody::kGravityMoon},
        {"a description without its zero is cut at the end", nullptr,
         [](Bytes* bytes, const ExperimentBodyBytes& body) {
             (*bytes)[body.Offset(Field::kDescription) + 4] = '!';
         },
         6, {}, "Task!", CExperimentBody::kGravityMoon},
        {"a stored gravity above none reads as earth", [](ExperimentBodyParts* parts) { parts->gravity = 3; },
         nullptr, 6, {}, "Task", CExperimentBody::kGravityEarth},
    };
    for (const Mended& mended : cases) {
        SCOPED_TRACE(mended.name);
        ExperimentBodyParts parts = Parts();
        if (mended.change)
            mended.change(&parts);
        const ExperimentBodyBytes body = BuildExperimentBody(parts);
        Bytes bytes = body.bytes;
        if (mended.patch)
            mended.patch(&bytes, body);
        CWorldContentRecord record(nullptr);
        SetData(&record, bytes, false);
        CLevelValues values;
        int links = -1;
        ASSERT_NE(Restore(record, &values, &links), 0);
        EXPECT_EQ(links, mended.links);
        if (mended.links != 6) {
            EXPECT_EQ(Partners(m_Level), mended.partners);
        }
        EXPECT_STREQ(values.m_strDescription.GetText(), mended.description);
        EXPECT_EQ(values.m_nGravity, mended.gravity);
        EXPECT_EQ(Point(kGearA, 0)->m_fValue, 0.0f);
    }
}

TEST_F(LevelRecordHostileTest, TargetsOutsideTheElementListAreNone) {
    std::string script = m_Script;
    const size_t at = script.find("CONNECTED_TO 1");
    ASSERT_NE(at, std::string::npos);
    script.replace(at, 14, "CONNECTED_TO 99");
    ExperimentBodyParts parts = Parts();
    parts.script = script;
    CWorldContentRecord record(nullptr);
    SetData(&record, BuildExperimentBody(parts).bytes, false);
    CLevelValues values;
    ASSERT_NE(Restore(record, &values), 0);
    EXPECT_EQ(Targets(m_Level), std::vector<int>(kFixtureElementCount, -1));
    EXPECT_EQ(Element(kBall)->m_nConnectedTo, -1);
}

}  // namespace
