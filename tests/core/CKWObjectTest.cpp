#include "CKWObject.h"
#include "KWRecordingTarget.h"

#include <gtest/gtest.h>

namespace {
class ListeningObject : public CKWObject {
public:
    std::vector<std::string> heard;
    KWResult OnListenerSend(std::uint32_t message, KWWParam, KWLParam) override {
        heard.push_back("send " + std::to_string(message));
        return 40;
    }
    void OnListenerPost(std::uint32_t message, KWWParam, KWLParam) override {
        heard.push_back("post " + std::to_string(message));
    }
};
} // namespace

TEST(CKWObject, ListenersAreKeptOnceInInsertionOrder) {
    CKWObject source;
    KWRecordingTarget first(KWMessageTarget::Delivery::Inline, 11);
    KWRecordingTarget second(KWMessageTarget::Delivery::Inline, 22);
    ListeningObject object;

    EXPECT_EQ(source.AddListenerWindow(&first), 1);
    EXPECT_EQ(source.AddListenerObject(&object), 1);
    EXPECT_EQ(source.AddListenerWindow(&second), 1);
    EXPECT_EQ(source.AddListenerWindow(&first), 0);
    EXPECT_EQ(source.AddListenerObject(&object), 0);
    ASSERT_EQ(source.GetListeners().size(), 3u);
    EXPECT_EQ(source.GetListeners()[0].window, &first);
    EXPECT_EQ(source.GetListeners()[1].object, &object);

    // The result is the last delivery's.
    EXPECT_EQ(source.SendToListeners(0x460, 3, 4), 22);
    EXPECT_EQ(first.Received(), (std::vector<KWRecordingTarget::Message>{{0x460, 3, 4}}));
    EXPECT_EQ(object.heard, (std::vector<std::string>{"send 1120"}));

    source.RemoveListenerWindow(&second);
    EXPECT_EQ(source.SendToListeners(0x461, 0, 0), 40);
    source.PostToListeners(0x1483, 0, 9);
    EXPECT_EQ(object.heard.back(), "post 5251");
    EXPECT_EQ(first.Count(), 3u);
    EXPECT_EQ(second.Count(), 1u);

    source.RemoveListenerWindow(&second); // absent: nothing happens
    source.RemoveListenerObject(&object);
    EXPECT_EQ(source.GetListeners().size(), 1u);
    source.RemoveAllListeners();
    EXPECT_EQ(source.SendToListeners(1, 0, 0), 0);
}

TEST(CKWObject, ANullWindowEntryReceivesNothing) {
    CKWObject source;
    EXPECT_EQ(source.AddListenerWindow(nullptr), 1);
    EXPECT_EQ(source.AddListenerWindow(nullptr), 0);
    EXPECT_EQ(source.SendToListeners(1, 0, 0), 0);
    EXPECT_EQ(source.PostToListeners(1, 0, 0), 0);
}

TEST(CKWObject, AListenerMayRemoveItselfWhileNotified) {
    CKWObject source;
    class SelfRemoving : public CKWObject {
    public:
        CKWObject* from = nullptr;
        int calls = 0;
        KWResult OnListenerSend(std::uint32_t, KWWParam, KWLParam) override {
            ++calls;
            from->RemoveListenerObject(this);
            return 1;
        }
    } listener;
    listener.from = &source;
    source.AddListenerObject(&listener);
    source.SendToListeners(1, 0, 0);
    source.SendToListeners(1, 0, 0);
    EXPECT_EQ(listener.calls, 1);
}
