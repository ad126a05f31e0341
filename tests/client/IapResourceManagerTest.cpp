// Texts and bitmaps from the application's resources, and buyclient's own
// resource files: every text the screens ask for, with the placeholders they fill.
#include "client/IapResourceManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppResource.h"
#include "platform/ui/Bitmap.h"
#include "tests/client/ClientTestSupport.h"

using namespace Vx;
using Vx::Base::String;

namespace {

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ClientTest::Environment(true));

const std::string kClientResources = std::string(IAP_BIN_DIR) + "/res/buyclient.BuyClient";

// The ids the screens and payment methods show.
const char* const kClientIds[] = {
    "IDS_ZUMEA_BODY_CARD_NUMBER",
    "IDS_ZUMEA_BODY_CONFIRM_PASSWORD",
    "IDS_ZUMEA_BODY_CREDIT_CARD",
    "IDS_ZUMEA_BODY_ENTER_NUMBERS_ABOVE_TO_BUY",
    "IDS_ZUMEA_BODY_ERROR",
    "IDS_ZUMEA_BODY_ERROR_SENDING_PURCHASE_REQUEST",
    "IDS_ZUMEA_BODY_I_HAVE_READ_AND_ACCEPT_THE_TERMS_AND_CONDITIONS",
    "IDS_ZUMEA_BODY_NOTE_C_YOU_CAN_ONLY_USE_NATIONAL_PREPAID_CARDS",
    "IDS_ZUMEA_BODY_NOT_ENOUGTH_BALANCE_AND_NOTIFICATION_MSG_BASARI",
    "IDS_ZUMEA_BODY_PASSWORD",
    "IDS_ZUMEA_BODY_PREPAID_CARD_FACE_VALUE",
    "IDS_ZUMEA_BODY_PREPAID_CARD_INFORMATION_ABB",
    "IDS_ZUMEA_BODY_PREPAID_CARD_TYPE_ABB",
    "IDS_ZUMEA_BODY_PROHIBITED_FOR_AGES_UNDER_PD",
    "IDS_ZUMEA_BODY_PS_APPLICATION_IS_PS_TL",
    "IDS_ZUMEA_BODY_SECURITY_CODE",
    "IDS_ZUMEA_BODY_THIS_EMAIL_ADDRESS_CANNOT_BE_USED_IN_THIS_COUNTRY_VEXMORA_APPS_LAUNCH_ERROR_MSG",
    "IDS_ZUMEA_BODY_WAITING_ING",
    "IDS_ZUMEA_BUTTON_CYBERCASH",
    "IDS_ZUMEA_BUTTON_PREPAID_CARD",
    "IDS_ZUMEA_HEADER_INVALID_EMAIL_OR_PASSWORD",
    "IDS_ZUMEA_HEADER_PAYMENT_INFORMATION",
    "IDS_ZUMEA_HEADER_PHONE_BILL",
    "IDS_ZUMEA_HEADER_PREPAID_CARD_REGISTRATION_ABB",
    "IDS_ZUMEA_HEADER_REGISTER_CREDIT_CARD",
    "IDS_ZUMEA_HEADER_TERMS_AND_CONDITIONS",
    "IDS_ZUMEA_POP_CREDIT_CARD_INFORMATION_NOT_REGISTERED",
    "IDS_ZUMEA_POP_FAILED_TO_REGISTER_PREPAID_CARD",
    "IDS_ZUMEA_POP_INCORRECT_VERIFICATION_CODE",
    "IDS_ZUMEA_POP_INVALID_PASSWORD",
    "IDS_ZUMEA_POP_INVALID_RESIDENT_REGISTRATION_NUMBER",
    "IDS_ZUMEA_POP_NO_VALID_PAYMENT_METHODS",
    "IDS_ZUMEA_POP_PURCHASE_FAILED_TRY_LATER",
    "IDS_ZUMEA_POP_PURCHASE_WITH_A_DIFFERENT_PHONE_NUMBER_Q",
    "IDS_ZUMEA_POP_REGISTRATION_FAILED",
    "IDS_ZUMEA_POP_SERVICE_PROVIDER_SELECTION_ERROR_OCCURRED",
    "IDS_ZUMEA_POP_TRANSACTION_CANCELLED_TIMED_OUT",
    "IDS_ZUMEA_POP_VERIFICATION_CODE_HAS_BEEN_SENT_CHECK_SMS_AND_ENTER_VERIFICATION_CODE",
    "IDS_ZUMEA_POP_YOUR_CREDIT_CARD_INFORMATION_HAS_BEEN_SUCCESSFULLY_UPDATED",
    "IDS_ZUMEA_SK3_AGREE",
    "IDS_ZUMEA_SK3_CONFIRM",
    "IDS_ZUMEA_SK3_PURCHASE",
    "IDS_ZUMEA_SK3_REGISTER",
    "IDS_ZUMEA_SK_CANCEL",
    "IDS_ZUMEA_SK_CLOSE",
    "IDS_ZUMEA_SK_NO_ABB",
    "IDS_ZUMEA_SK_YES_ABB",
};

// buyclient's texts as the platform reads them (UTF-8, ID=text).
std::map<std::string, String> ClientTexts() {
    std::ifstream in(kClientResources + "/strings.txt");
    std::map<std::string, String> texts;
    std::string line;
    while (std::getline(in, line)) {
        std::size_t eq = line.find('=');
        if (line.empty() || line[0] == '#' || eq == std::string::npos) continue;
        texts[line.substr(0, eq)] = String::FromUtf8(line.substr(eq + 1));
    }
    return texts;
}

// Writes this test program's own resource texts.
void WriteOwnTexts(const std::string& content) {
    const std::string folder = App::AppContext::GetCurrent().resourceDir;
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/strings.txt") << content;
    App::AppResource::GetInstance()->Reload();
}

TEST(IapResourceManagerTest, LookupFallsBackToTheIdAndNeverGivesAnEmptyText) {
    WriteOwnTexts("IDS_ALPHA=Alpha\nIDS_EMPTY=\nIDS_AGE=Only %d and over\n");
    EXPECT_EQ(String(L"Alpha"), IapResourceManager::GetStringFromID(L"IDS_ALPHA"));
    EXPECT_EQ(String(L"IDS_MISSING"), IapResourceManager::GetStringFromID(L"IDS_MISSING"));
    EXPECT_EQ(String(L" "), IapResourceManager::GetStringFromID(L"IDS_EMPTY"));
    EXPECT_EQ(String(L"Only 19 and over"), IapResourceManager::FormatStringFromID(L"IDS_AGE", {19}));
    // A translation with the wrong placeholder shows it unfilled.
    EXPECT_EQ(String(L"Only %d and over"), IapResourceManager::FormatStringFromID(L"IDS_AGE", {L"nineteen"}));
    EXPECT_EQ(String(L"Only"), IapResourceManager::FormatStringFromID(L"IDS_AGE", {19}, 4));
}

TEST(IapResourceManagerTest, NoBitmapWithoutARunningApplication) {
    EXPECT_EQ(nullptr, IapResourceManager::GetBitmapN(L"00_circle_bg_ef.png"));
}

TEST(IapResourceManagerTest, BuyclientHasATextForEveryIdItShows) {
    std::map<std::string, String> texts = ClientTexts();
    ASSERT_FALSE(texts.empty()) << "no texts in " << kClientResources;
    for (const char* id : kClientIds) {
        auto it = texts.find(id);
        ASSERT_NE(texts.end(), it) << id;
        EXPECT_FALSE(it->second.IsEmpty()) << id;
        if (std::string(id) != "IDS_ZUMEA_BODY_PROHIBITED_FOR_AGES_UNDER_PD" &&
            std::string(id) != "IDS_ZUMEA_BODY_PS_APPLICATION_IS_PS_TL") {
            String out;
            EXPECT_EQ(E_SUCCESS, IapTextFormatter::Format(it->second, {}, 1000, out)) << id << " has a placeholder";
        }
    }
    EXPECT_EQ(sizeof kClientIds / sizeof *kClientIds, texts.size());
}

TEST(IapResourceManagerTest, BuyclientTextsCarryThePlaceholdersTheScreensFill) {
    std::map<std::string, String> texts = ClientTexts();
    String out;
    ASSERT_EQ(E_SUCCESS,
              IapTextFormatter::Format(texts["IDS_ZUMEA_BODY_PROHIBITED_FOR_AGES_UNDER_PD"], {19}, 255, out));
    EXPECT_TRUE(out.Contains(L"19")) << out.ToUtf8();
    // The SMS confirmation joins two texts and fills them with the item's name and price.
    String joined =
        texts["IDS_ZUMEA_BODY_ENTER_NUMBERS_ABOVE_TO_BUY"] + L" " + texts["IDS_ZUMEA_BODY_PS_APPLICATION_IS_PS_TL"];
    ASSERT_EQ(E_SUCCESS, IapTextFormatter::Format(joined, {L"Gem pack", L"TL4.99"}, 256, out));
    EXPECT_TRUE(out.Contains(L"Gem pack")) << out.ToUtf8();
    EXPECT_TRUE(out.Contains(L"TL4.99")) << out.ToUtf8();
}

TEST(IapResourceManagerTest, BuyclientBitmapsAreDrawnAtTheSizesTheScreensUse) {
    struct Picture {
        std::string name;
        int width;
        int height;
        bool ninePatch = false;
    };
    std::vector<Picture> pictures = {
        {"R01_button_expand_closed.png", 74, 74},
        {"R01_button_expand_opened.png", 74, 74},
        {"00_circle_bg_ef.png", 72, 72},
        {"00_circle_bg_ef_press.png", 72, 72},
        {"R09_app_icon_smart.png", 86, 86},
        {"isa_security_card.png", 720, 480},
        {"R09_purchase_bg_9.png", 48, 48, true},                 // drawn 50x50 with its 1-pixel marks
        {"00_list_group_bg_top_9_normal.png", 48, 48, true},     // drawn 50x50 with its 1-pixel marks
        {"00_list_group_bg_center_9_normal.png", 48, 48, true},  // drawn 50x50 with its 1-pixel marks
        {"00_list_group_bg_bottom_9_normal.png", 48, 48, true},  // drawn 50x50 with its 1-pixel marks
    };
    for (int n = 1; n <= 30; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "WaitAnimation/winset_list_process_%02d.png", n);
        pictures.push_back({name, 50, 50});
    }
    for (const Picture& picture : pictures) {
        SCOPED_TRACE(picture.name);
        Graphics::Bitmap bitmap;
        ASSERT_EQ(E_SUCCESS, bitmap.Construct(String::FromUtf8(kClientResources + "/" + picture.name)));
        EXPECT_EQ(picture.width, bitmap.GetWidth());
        EXPECT_EQ(picture.height, bitmap.GetHeight());
        EXPECT_EQ(picture.ninePatch, bitmap.IsNinePatchedBitmap());
    }
}

}  // namespace
