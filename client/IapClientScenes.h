#pragma once
// buyclient's scenes and the forms that draw them, in the order the frame
// registers them.
namespace IapClientScenes {

inline constexpr const wchar_t* kSceneCreditCardRegister = L"IDS_SCENE_CREDIT_CARD_REGISTER";
inline constexpr const wchar_t* kSceneSmsHkTwRegister = L"IDS_SCENE_SMS_HKTW_REGISTER";
inline constexpr const wchar_t* kSceneSmsTurkeyRegister = L"IDS_SCENE_SMS_TURKEY_REGISTER";
inline constexpr const wchar_t* kScenePurchase = L"IDS_SCENE_PURCHASE";
inline constexpr const wchar_t* kSceneSecurityCodeHelp = L"IDS_SCENE_SECURITY_CODE_HELP";

inline constexpr const wchar_t* kFormCreditCardRegister = L"IDF_FORM_CREDIT_CARD_REGISTER";
inline constexpr const wchar_t* kFormSmsHkTwRegister = L"IDF_FORM_SMS_HKTW_REGISTER";
inline constexpr const wchar_t* kFormSmsTurkeyRegister = L"IDF_FORM_SMS_TURKEY_REGISTER";
inline constexpr const wchar_t* kFormPurchase = L"IDF_FORM_PURCHASE";
inline constexpr const wchar_t* kFormSecurityCodeHelp = L"IDF_FORM_SECURITY_CODE_HELP";

struct Scene {
    const wchar_t* sceneId;
    const wchar_t* formId;
};
inline constexpr Scene kScenes[] = {
    {kSceneCreditCardRegister, kFormCreditCardRegister}, {kSceneSmsHkTwRegister, kFormSmsHkTwRegister},
    {kSceneSmsTurkeyRegister, kFormSmsTurkeyRegister},   {kScenePurchase, kFormPurchase},
    {kSceneSecurityCodeHelp, kFormSecurityCodeHelp},
};

}  // namespace IapClientScenes
