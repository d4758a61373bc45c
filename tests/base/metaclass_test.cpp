#include "base/metaclass.h"

#include <gtest/gtest.h>

namespace quin {
namespace {

class TAnimal : public TObject {
  QUIN_CLASS(TAnimal, TObject)
 public:
  std::string Sound = "none";
  int Created = 0;
  virtual std::string DefaultSound() const { return "..."; }
  // The after-create step reaches the override of the most derived class.
  void AfterConstruction() override {
    Sound = DefaultSound();
    ++Created;
  }
};
class TDog : public TAnimal {
  QUIN_CLASS(TDog, TAnimal)
 public:
  std::string DefaultSound() const override { return "woof"; }
};
class TShape : public TObject {
  QUIN_CLASS(TShape, TObject)
};
QUIN_IMPLEMENT_CLASS(TAnimal, TObject)
QUIN_IMPLEMENT_CLASS(TDog, TAnimal)
QUIN_IMPLEMENT_ABSTRACT_CLASS(TShape, TObject)

TEST(Metaclass, IsAndIsExactly) {
  TDog D;
  EXPECT_TRUE(D.Is<TDog>());
  EXPECT_TRUE(D.Is<TAnimal>());
  EXPECT_TRUE(D.Is<TObject>());
  EXPECT_FALSE(D.Is<TShape>());
  EXPECT_TRUE(D.IsExactly<TDog>());
  EXPECT_FALSE(D.IsExactly<TAnimal>());
  EXPECT_STREQ(D.ClassName(), "TDog");
  EXPECT_EQ(As<TShape>(&D), nullptr);
  EXPECT_EQ(As<TAnimal>(&D), &D);
}

TEST(Metaclass, RegistryFindsClassesWithoutRegardToCase) {
  ClassRegistry::Register(TAnimal::StaticClass());
  ClassRegistry::Register(TDog::StaticClass());
  ClassRegistry::Register(TDog::StaticClass());  // twice is once
  ClassRegistry::Register(TShape::StaticClass());
  EXPECT_EQ(ClassRegistry::Find("tDOG"), &TDog::StaticClass());
  EXPECT_EQ(ClassRegistry::Find("TCat"), nullptr);
  int Dogs = 0;
  for (const ClassInfo* C : ClassRegistry::All()) Dogs += C == &TDog::StaticClass();
  EXPECT_EQ(Dogs, 1);
  // Creation by name is two-phase: the after-create step sees the override.
  auto Obj = ClassRegistry::Find("T" + std::string("d") + "og")->Create();
  ASSERT_NE(Obj, nullptr);
  EXPECT_TRUE(Obj->IsExactly<TDog>());
  EXPECT_EQ(static_cast<TDog*>(Obj.get())->Sound, "woof");
  EXPECT_EQ(static_cast<TDog*>(Obj.get())->Created, 1);
  EXPECT_EQ(TShape::StaticClass().Create(), nullptr);  // abstract
  EXPECT_EQ(New<TDog>()->Sound, "woof");
}

// Counts its objects alive, to show who deleted them.
class TCounted : public TAnimal {
  QUIN_CLASS(TCounted, TAnimal)
 public:
  static inline int Alive = 0;
  TCounted() { ++Alive; }
  ~TCounted() override { --Alive; }
};
QUIN_IMPLEMENT_CLASS(TCounted, TAnimal)

TEST(Metaclass, OwnedAsKeepsTheObjectOfTheClassAndDeletesAnother) {
  std::unique_ptr<TObject> Obj = TCounted::StaticClass().Create();
  TObject* Raw = Obj.get();
  std::unique_ptr<TAnimal> Animal = OwnedAs<TAnimal>(std::move(Obj));
  EXPECT_EQ(Animal.get(), Raw);
  EXPECT_EQ(Obj, nullptr);
  EXPECT_EQ(TCounted::Alive, 1);

  EXPECT_EQ(OwnedAs<TDog>(std::move(Animal)), nullptr);  // a TCounted is no TDog
  EXPECT_EQ(TCounted::Alive, 0);
  EXPECT_EQ(OwnedAs<TDog>(std::unique_ptr<TObject>()), nullptr);
}

}  // namespace
}  // namespace quin
