// Objects: construction and destruction chains, the pending list, release
// faults, type tests, the class table entry points and the debug enumeration.
#include "objects/objects.h"
#include "objects/registry.h"
#include "lifecycle/exception.h"
#include "startup/init.h"
#include "base/pool.h"
#include "recorder.h"
#include "text/string.h"
#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> events;
ClassDef classA, classB, classC, classPlain, classIface, classImpl, classUnnamed;

const char *letter(const ClassDef *cls) {
  return cls == &classA ? "A" : cls == &classB ? "B" : cls == &classC ? "C" : "?";
}

void recordConstructor(Object *o, ClassDef *cls) {
  EXPECT_EQ(o->refs, 1);
  events.push_back(std::string("new ") + letter(cls));
}

void recordDestructor(Object *, ClassDef *cls) {
  events.push_back(std::string("del ") + letter(cls));
}

void define(ClassDef *cls, const char *name, ClassDef *super, int32_t size) {
  class_setup(cls);
  cls->name = name ? str_from(name) : nullptr;
  cls->superclass = super;
  cls->instanceSize = size;
}

class ObjectsTest : public RuntimeTest {
protected:
  ClassDef *table[7] = {&gObjectClass, &classA,    &classB,    &classC,
                        &classIface,   &classImpl, &classPlain};
  void SetUp() override {
    RuntimeTest::SetUp();
    events.clear();
    define(&classA, "A", &gObjectClass, 28);
    define(&classB, "B", &classA, 32);
    define(&classC, "C", &classB, 40);
    for (ClassDef *c : {&classA, &classB, &classC}) {
      c->constructor = recordConstructor;
      c->destructor = recordDestructor;
    }
    define(&classPlain, "Plain", &gObjectClass, 24);
    define(&classIface, "Iface", nullptr, 24);
    classIface.isInterface = 1;
    define(&classImpl, "Impl", &classPlain, 24);
    define(&classUnnamed, nullptr, &classImpl, 24);
    gClassTable = table;
    gClassCount = 7;
  }
  void TearDown() override {
    for (ClassDef *c :
         {&classA, &classB, &classC, &classPlain, &classIface, &classImpl, &classUnnamed})
      class_teardown(c);
    gClassTable = nullptr;
    gClassCount = 0;
    RuntimeTest::TearDown();
  }
};

TEST_F(ObjectsTest, ConstructsRootFirstAndDestroysOwnClassFirst) {
  int32_t start = pool_used();
  Object *o = CreateInstance(&classC);
  EXPECT_EQ(events, (std::vector<std::string>{"new A", "new B", "new C"}));
  EXPECT_EQ(o->refs, 1);
  EXPECT_EQ(o->cls, &classC);
  EXPECT_EQ(objects_live_head(), o);
  for (int w = 4; w < 10; w++) EXPECT_EQ(((int32_t *)o)[w], 0) << "word " << w;
  EXPECT_EQ(pool_used(), start + 40);
  events.clear();
  RuntimeUnlockObject(o);
  EXPECT_EQ(events, (std::vector<std::string>{"del C", "del B", "del A"}));
  EXPECT_EQ(pool_used(), start);
}

TEST_F(ObjectsTest, LockAndUnlockOfNilDoNothing) {
  EXPECT_EQ(RuntimeLockObject(nullptr), nullptr);
  RuntimeUnlockObject(nullptr);
  EXPECT_EQ(KARUUnlockObject(nullptr), nullptr);
  EXPECT_TRUE(gRecorder.boxes.empty());
}

TEST_F(ObjectsTest, ReleasingAtZeroIsReportedAndChangesNothing) {
  Object *o = CreateInstance(&classPlain);
  o->refs = 0;
  RuntimeUnlockObject(o);
  ASSERT_EQ(gRecorder.boxes.size(), 1u);
  EXPECT_NE(gRecorder.boxes[0].text.find(" objects : 471"), std::string::npos);
  EXPECT_EQ(o->refs, 0);
  EXPECT_EQ(objects_live_head(), o); /* still live */
  o->refs = 1;
  RuntimeUnlockObject(o);
}

// X's destructor releases the last references to Y and then Z: they are
// destroyed after X, the last released first.
Object *heldByX[2];
void releaseHeld(Object *, ClassDef *) {
  events.push_back("del X begins");
  RuntimeUnlockObject(heldByX[0]);
  RuntimeUnlockObject(heldByX[1]);
  events.push_back("del X ends");
}
void recordPlain(Object *o, ClassDef *) { events.push_back(o == heldByX[0] ? "del Y" : "del Z"); }

TEST_F(ObjectsTest, ObjectsReleasedByADestructorDieAfterItInReverseOrder) {
  ClassDef classX, classYZ;
  define(&classX, "X", &gObjectClass, 24);
  classX.destructor = releaseHeld;
  define(&classYZ, "YZ", &gObjectClass, 24);
  classYZ.destructor = recordPlain;
  Object *x = CreateInstance(&classX);
  heldByX[0] = CreateInstance(&classYZ);
  heldByX[1] = CreateInstance(&classYZ);
  RuntimeUnlockObject(x);
  EXPECT_EQ(events, (std::vector<std::string>{"del X begins", "del X ends", "del Z", "del Y"}));
  class_teardown(&classX);
  class_teardown(&classYZ);
}

int selfDestructions;
void lockAndUnlockSelf(Object *o, ClassDef *) {
  selfDestructions++;
  RuntimeLockObject(o);
  RuntimeUnlockObject(o);
}

TEST_F(ObjectsTest, DestructorThatLocksAndUnlocksItsObjectRunsOnce) {
  classPlain.destructor = lockAndUnlockSelf;
  selfDestructions = 0;
  int32_t start = pool_used();
  RuntimeUnlockObject(CreateInstance(&classPlain));
  EXPECT_EQ(selfDestructions, 1);
  EXPECT_EQ(pool_used(), start);
}

TEST_F(ObjectsTest, TypeTests) {
  classImpl.interfaces = new InterfaceEntry{nullptr, &classIface, nullptr, 0};
  Object *c = CreateInstance(&classC);
  Object *plain = CreateInstance(&classPlain);
  Object *derivedFromImpl = CreateInstance(&classUnnamed);
  struct {
    Object *object;
    int32_t classIndex;
    bool isa;
  } cases[] = {
      {c, 0, true},
      {c, 1, true},
      {c, 3, true},
      {plain, 1, false},
      {plain, 0, true},
      {nullptr, 0, false},
      {nullptr, 1, false},
      {plain, 4, false},
      {derivedFromImpl, 4, true}, /* the interface comes from the superclass */
      {derivedFromImpl, 5, true},
      {c, 99, false},
      {c, -1, false},
  };
  for (auto &k : cases)
    EXPECT_EQ(RuntimeObjectIsa(k.object, k.classIndex), k.isa) << "class index " << k.classIndex;
  RuntimeCheckCast(nullptr, 3); /* nil passes every cast */
  RuntimeCheckCast(c, 2);
  EXPECT_EXIT(/* raised; uncaught, without a message table: an empty message */
              {
                runtime_classes_init();
                RuntimeCheckCast(plain, 3);
              },
              testing::ExitedWithCode(0), "\\[message box\\] \n\\[exit\\] 0");
  for (Object *o : {c, plain, derivedFromImpl}) RuntimeUnlockObject(o);
  delete classImpl.interfaces;
  classImpl.interfaces = nullptr;
}

TEST_F(ObjectsTest, NewObjectByClassIndex) {
  Object *b = RuntimeNewObject(2);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->cls, &classB);
  RuntimeUnlockObject(b);
  EXPECT_EQ(RuntimeNewObject(7), nullptr);
  EXPECT_EQ(RuntimeNewObject(-1), nullptr);
  ASSERT_EQ(gRecorder.boxes.size(), 2u);
  EXPECT_NE(gRecorder.boxes[0].text.find(" RuntimeMain : 1191"), std::string::npos);
}

TEST_F(ObjectsTest, ProjectObjectsAreLockedForTheCaller) {
  Object *picture = CreateInstance(&classPlain);
  Object *projects[2] = {nullptr, picture};
  gProjectObjects = projects;
  gProjectObjectCount = 2;
  EXPECT_EQ(RuntimeProjectObject(0), nullptr);
  EXPECT_EQ(RuntimeProjectObject(2), nullptr);
  EXPECT_EQ(RuntimePictureReference(1), picture);
  EXPECT_EQ(picture->refs, 2);
  RuntimeUnlockObject(picture);
  RuntimeUnlockObject(picture);
  gProjectObjects = nullptr;
  gProjectObjectCount = 0;
}

std::string text(RString *s) {
  std::string t(str_cview(s), str_len(s));
  RuntimeUnlockString(s);
  return t;
}

TEST_F(ObjectsTest, DebugEnumerationSkipsTheExcludedObject) {
  Object *oldest = CreateInstance(&classPlain);
  Object *middle = CreateInstance(&classUnnamed);
  Object *newest = CreateInstance(&classB);
  RuntimeLockObject(newest);
  int32_t all = RuntimeDebugObjectCount(nullptr);
  EXPECT_EQ(RuntimeDebugObjectCount(middle), all - 1);
  EXPECT_EQ(RuntimeDebugObjectID(middle, 0), int32_t((uintptr_t)newest ^ 0x0015C7A3));
  EXPECT_EQ(RuntimeDebugObjectRefs(middle, 0), 2);
  EXPECT_EQ(text(RuntimeDebugObjectClass(middle, 1)), "Plain");
  EXPECT_EQ(text(RuntimeDebugObjectClass(nullptr, 1)), "Impl"); /* nearest named class */
  EXPECT_EQ(RuntimeDebugObjectID(nullptr, all), 0);
  EXPECT_EQ(RuntimeDebugObjectRefs(nullptr, all), 0);
  EXPECT_EQ(RuntimeDebugObjectClass(nullptr, all), nullptr);
  EXPECT_EQ(RuntimeDebugObjectID(nullptr, -1), 0);
  EXPECT_EQ(RuntimeDebugMemoryUsed(), pool_used());
  for (Object *o : {oldest, middle, newest, newest}) RuntimeUnlockObject(o);
}

TEST_F(ObjectsTest, DebugInstanceIsSharedUntilItDies) {
  Object *first = RuntimeDebugInstance();
  EXPECT_EQ(first->cls, &gRuntimeClass);
  Object *second = RuntimeDebugInstance();
  EXPECT_EQ(second, first);
  EXPECT_EQ(first->refs, 2);
  auto objectCount = (int32_t(*)(Object *))gRuntimeClass.methods->entry; /* ObjectCount */
  EXPECT_EQ(objectCount(first), RuntimeDebugObjectCount(nullptr) - 1);
  std::vector<std::string> names;
  for (MethodRecord *m = gRuntimeClass.methods; m; m = m->next) names.push_back(str_cview(m->name));
  EXPECT_EQ(names, (std::vector<std::string>{"ObjectCount", "ObjectID", "ObjectClass", "ObjectRefs",
                                             "MemoryUsed"}));
  RuntimeUnlockObject(first);
  RuntimeUnlockObject(second); /* dies: the slot is cleared */
  Object *third = RuntimeDebugInstance();
  EXPECT_EQ(third->refs, 1);
  RuntimeUnlockObject(third);
}

TEST_F(ObjectsTest, ObjectReportListsLiveObjectsNewestFirst) {
  ClassDef nameless;
  define(&nameless, nullptr, nullptr, 24);
  Object *a = CreateInstance(&classA);
  Object *n = CreateInstance(&nameless);
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  strcat(path, "objects-report.txt");
  RString *p = str_from(path);
  debugDumpObjects(p);
  std::ifstream in(path, std::ios::binary);
  std::stringstream read;
  read << in.rdbuf();
  std::string expected = std::to_string(pool_used()) + " used in heap1\r" +
                         std::to_string(RuntimeDebugObjectCount(nullptr)) +
                         " objects\r<Unnamed object class>\rA\r";
  EXPECT_EQ(read.str().substr(0, expected.size()), expected);
  RuntimeUnlockString(p);
  RuntimeUnlockObject(n);
  RuntimeUnlockObject(a);
  class_teardown(&nameless);
  DeleteFileA(path);
}

} // namespace
