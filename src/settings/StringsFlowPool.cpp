// Tips on entering flow, by body area. The first eight of each area open with the same
// run of state openers; the rest are free-form habits of that area.

#include "settings/StringsText.h"

namespace plovane {

using strings_detail::AreaLists;
using strings_detail::targetPool;

namespace {

constexpr AreaLists kFlowTips{{
    // Core & Lumbar
    {{
        {"Locked in. Spine pressure nominal—keep going.",
         "搬砖节奏稳住了，脊柱压力正常，继续冲！"},
        {"Good flow. Quick check: is your lower back against the chair?",
         "手感来了。顺便检查一下：腰靠到椅背了吗？"},
        {"Crushing it. Screen top at eye level keeps your neck neutral.",
         "代码如泉涌。屏幕上沿和视线平齐，脖子才能保持中立位。"},
        {"Deep focus. Chin drifting forward? Tuck it back, ears over shoulders.",
         "进入心流。下巴又往前探了？收回来，让耳朵对准肩膀。"},
        {"Focused. Shoulders creeping up to your ears? Let them drop.",
         "专注中。肩膀又耸到耳朵边了？放松，沉下来。"},
        {"Outputting. Pull the keyboard closer so your elbows stay by your sides.",
         "高效输出中。键盘拉近一点，手肘自然贴在身体两侧。"},
        {"Online. Sit tall: imagine a string pulling the crown of your head up.",
         "状态在线。坐直一点：想象有根线把头顶往上提。"},
        {"Brain firing. Skip the leg cross—it tilts your pelvis and twists your spine.",
         "脑子转得飞快。别跷二郎腿，骨盆会歪，脊柱也跟着扭。"},
        {"Steady output. Reading on your phone? Raise it to eye level instead of bowing your head.",
         "稳定输出中。看手机时把它举到眼前，别低头去够它。"},
        {"Flow state. A small cushion or rolled towel behind your lower back holds its curve.",
         "心流状态。腰后垫个小靠枕或卷起的毛巾，帮腰椎保持生理曲度。"},
        {"Keep the mouse right next to the keyboard. Long reaches twist your upper back.",
         "鼠标紧挨着键盘放，总伸手去够，上背会跟着扭。"},
        {"Long call coming up? Take it standing. Your discs get a break.",
         "要开长会？站着开吧，椎间盘也能喘口气。"},
        {"Leaning on one elbow? Sit centered, weight even on both sit bones.",
         "别老撑着一边胳膊肘，坐正，让重心均匀落在两侧坐骨上。"},
        {"When did you last adjust your chair angle? 100–110° is the sweet spot.",
         "上次调整椅背角度是什么时候？100-110 度倾角对脊柱最友好。"},
    }},
    // Visual Sensors
    {{
        {"Locked in. Eyes: nominal. Keep going.",
         "搬砖节奏稳住了，视网膜状态良好，继续冲！"},
        {"Good flow. Screen brightness matching your environment?",
         "手感来了。屏幕亮度和环境光匹配了吗？"},
        {"Crushing it. Remember to blink—full blinks, lids all the way closed.",
         "代码如泉涌。记得眨眼，每次都要完全闭合。"},
        {"Deep focus. Keep the screen about an arm's length away.",
         "进入心流。屏幕离眼睛保持大约一臂的距离。"},
        {"Focused. Glare on the screen? Turn it side-on to the window.",
         "专注中。屏幕反光？把它转到侧对窗户的位置。"},
        {"Outputting. Bump up the font size—squinting tires your focusing muscles.",
         "高效输出中。字号调大一点，眯着眼看会让睫状肌更累。"},
        {"Online. Air vent blowing on your face? Redirect it—it dries your eyes.",
         "状态在线。空调风对着脸吹？挪开，眼睛会越吹越干。"},
        {"Brain firing. Screen just below eye level—eyes open less wide, tears last longer.",
         "脑子转得飞快。屏幕略低于视线，眼睛不用睁太大，泪液蒸发更慢。"},
        {"Steady output. Dark room, bright screen? Turn on a lamp to cut the contrast.",
         "稳定输出中。房间暗、屏幕亮？开盏灯，减少明暗反差。"},
        {"Flow state. Contacts in all day? Switch to glasses for long coding sessions.",
         "心流状态。隐形眼镜戴了一整天？长时间写代码时换成框架眼镜。"},
        {"Text going fuzzy by afternoon? Check that your glasses prescription is current.",
         "一到下午字就发虚？去查查眼镜度数是不是该更新了。"},
        {"Second monitor? Same distance and height as the first, so your eyes don't refocus.",
         "有副屏的话，和主屏保持一样的距离和高度，省得眼睛来回重新对焦。"},
        {"Dry office air? A desk humidifier helps your tear film last longer.",
         "办公室空气干？桌上放个加湿器，泪膜能撑得更久。"},
        {"Lower your screen color temperature. Warmer tones are easier on eyes at night.",
         "试着调低屏幕色温，暖色调更护眼，尤其是晚上。"},
    }},
    // Circulation & Veins
    {{
        {"Locked in. Leg circulation: clear. Keep going.",
         "搬砖节奏稳住了，下肢血流通畅，继续冲！"},
        {"Good flow. Feet flat, knees just past 90°.",
         "手感来了。脚掌平放地面，膝盖别夹太紧。"},
        {"Crushing it. Pump your ankles up and down 10 times while you think.",
         "代码如泉涌。想问题的时候，脚踝上下勾绷 10 次。"},
        {"Deep focus. Legs crossed? Uncross them—it presses on the veins behind the knee.",
         "进入心流。跷着二郎腿？放下来，膝盖后面的静脉正被压着。"},
        {"Focused. Seat edge pressing into your thighs? Slide back or lower the seat.",
         "专注中。椅子前沿硌着大腿？往后坐一点，或者把座椅调低。"},
        {"Outputting. Keep sipping water—dehydration thickens your blood.",
         "高效输出中。记得小口喝水，缺水会让血液变稠。"},
        {"Online. Lift one leg slightly for a few seconds. Alternate.",
         "状态在线。单脚微微抬离地面几秒，左右交替，帮下肢回血。"},
        {"Brain firing. Belt too tight? Loosen a notch—it slows blood coming back from your legs.",
         "脑子转得飞快。腰带太紧就松一格，它会拖慢腿部血液回流。"},
        {"Steady output. Feet dangling? Use a footrest so the seat edge doesn't press your thighs.",
         "稳定输出中。脚够不着地？垫个脚踏，别让椅子边压着大腿。"},
        {"Flow state. Wiggle your toes and tense your calves—a silent circulation boost.",
         "心流状态。动动脚趾、绷绷小腿，悄悄给血液循环加个速。"},
        {"Set a timer: stand up and walk for 2 minutes every hour.",
         "定个闹钟：每小时起身走 2 分钟。"},
        {"Legs swell on long desk days? Ask a doctor whether compression socks suit you.",
         "久坐一天腿就肿？问问医生适不适合穿医用弹力袜。"},
        {"Keep your water bottle across the room—every refill is a walk.",
         "把水杯放远一点，每次续水都是一次走动。"},
        {"Adjust chair so thighs are parallel to the floor. Knees shouldn't dip below hips.",
         "椅子高度调到让大腿与地面平行，膝盖不要低于臀部。"},
    }},
    // Lower Limbs & Muscles
    {{
        {"Locked in. Your glutes are slowly forgetting how to fire. Squeeze them.",
         "搬砖节奏稳住了。臀肌正在萎缩中，记得不时绷一绷。"},
        {"Good flow. Sitting too far forward? Slide back, use the backrest.",
         "手感来了。椅子坐太靠前？屁股后移，靠背承重。"},
        {"Crushing it. Squeeze your glutes for 5 seconds, release. Repeat 5 times.",
         "代码如泉涌。夹紧臀部 5 秒再放松，重复 5 次。"},
        {"Deep focus. Knees bent for hours? Stretch your legs out under the desk.",
         "进入心流。膝盖弯了太久？把腿伸到桌下舒展一下。"},
        {"Focused. Feet tucked under the chair? Bring them forward—hours in a deep bend stiffen knees.",
         "专注中。脚缩在椅子底下？往前放，膝盖长时间深弯容易僵。"},
        {"Outputting. Press your feet into the floor and feel your thighs switch on.",
         "高效输出中。双脚用力踩地，感受大腿肌肉被唤醒。"},
        {"Online. Lift one leg slightly for a few seconds. Alternate.",
         "状态在线。单腿稍稍抬起几秒，左右交替，顺便唤醒大腿肌肉。"},
        {"Brain firing. Point and flex your feet 10 times—your calves need the work.",
         "脑子转得飞快。脚尖绷直再勾回，来 10 次，给小腿活动活动。"},
        {"Steady output. Wallet or phone in your back pocket? Take it out and sit level.",
         "稳定输出中。后裤兜里有钱包或手机？拿出来，坐平了两侧才受力均匀。"},
        {"Flow state. Heels down—sitting on tiptoe keeps your calves clenched.",
         "心流状态。脚跟落地，别一直踮着脚坐，小腿会一直绷着。"},
        {"Take the stairs on your next coffee run. Glutes and knees both get a turn.",
         "下次去买咖啡走楼梯，臀肌和膝盖都能动一动。"},
        {"Stuck on a problem? Think it through standing up—your legs get a shift too.",
         "卡住了？站起来想，顺便让腿也上个班。"},
        {"Knees stiff after sitting? Short, frequent moves beat one long walk later.",
         "坐久了膝盖发僵？少量多次地活动，比下班后一次走很久更管用。"},
        {"Vary your sitting position: forward-leaning, then fully reclined. Alternate.",
         "如果可以，每隔一段时间换坐姿：往前坐、往后靠轮流来。"},
    }},
}};

} // namespace

Strings::TargetPool Strings::flowAdvicePool(Language lang)
{
    return targetPool(kFlowTips, lang);
}

} // namespace plovane
