// Short exercises for a rest break, by body area, with counts and seconds spelled out.

#include "settings/StringsText.h"

namespace plovane {

using strings_detail::AreaLists;
using strings_detail::targetPool;

namespace {

constexpr AreaLists kRestExercises{{
    // Core & Lumbar
    {{
        {"😎 Break time! 3 chest-openers. Your discs say thanks.",
         "😎 去休息！后仰扩胸 3 次，椎间盘在说谢谢。"},
        {"😎 Break time! Neck rolls, 5 each side. Lubricate those joints.",
         "😎 去休息！转转脖子，左右各 5 圈，颈椎润滑一下。"},
        {"😎 Break time! Chin tucks: slide your head straight back, 10 reps.",
         "😎 去休息！收下巴：头水平往后缩，做 10 次。"},
        {"😎 Break time! Stand up, reach both arms overhead, hold 10 seconds.",
         "😎 去休息！站起来，双臂举过头顶向上伸展，保持 10 秒。"},
        {"😎 Break time! Seated cat-cow: round, then arch your back, 10 slow reps.",
         "😎 去休息！坐姿猫牛式：先弓背再挺胸，慢慢做 10 次。"},
        {"😎 Break time! Squeeze your shoulder blades together, hold 5 seconds, 10 reps.",
         "😎 去休息！夹紧肩胛骨保持 5 秒，做 10 次。"},
        {"😎 Break time! Ear toward shoulder, 20 seconds each side. Keep shoulders down.",
         "😎 去休息！头向一侧肩膀倾斜，左右各 20 秒，肩膀别耸。"},
        {"😎 Break time! Doorway chest stretch: forearms on the frame, 30 seconds.",
         "😎 去休息！站在门框里，前臂撑住门框，胸口前送拉伸 30 秒。"},
        {"😎 Break time! Walk for 2 minutes. Movement is how your discs get fed.",
         "😎 去休息！起来走 2 分钟，活动就是在给椎间盘补给营养。"},
        {"😎 Break time! Standing side bends: 5 slow ones each side.",
         "😎 去休息！站立侧弯，左右各慢慢做 5 次。"},
        {"😎 Break time! Shoulder rolls: 10 backward, then 10 forward.",
         "😎 去休息！耸肩绕环：向后 10 圈，再向前 10 圈。"},
        {"😎 Break time! Seated twist: sit tall, hold 15 seconds each side.",
         "😎 去休息！坐姿转体：坐直，左右各保持 15 秒。"},
        {"😎 Break time! Wall angels: back to the wall, slide your arms up and down 10 times.",
         "😎 去休息！靠墙天使：背贴墙，手臂沿墙上下滑动 10 次。"},
        {"😎 Break time! Wall squat: back flat, 10 slow reps. Core and spine both.",
         "😎 去休息！找面墙靠上做 10 次贴墙深蹲，核心和脊柱都参与了。"},
    }},
    // Visual Sensors
    {{
        {"😎 Break time! Look 20 ft away for 20 sec. Let those muscles rest.",
         "😎 去休息！看向窗外 20 秒，让睫状肌彻底躺平。"},
        {"😎 Break time! Blink hard 20 times. Tear film: rebuilt.",
         "😎 去休息！使劲眨眼 20 次，泪膜重建中。"},
        {"😎 Break time! Palming: rub your hands warm, cup them over closed eyes for 30 seconds.",
         "😎 去休息！搓热双手，轻轻捂住闭上的眼睛 30 秒。"},
        {"😎 Break time! Near-far focus: your thumb, then the far wall. Switch 10 times.",
         "😎 去休息！远近交替对焦：看拇指、再看远处墙面，来回 10 次。"},
        {"😎 Break time! Close your eyes for 1 full minute.",
         "😎 去休息！闭上眼睛，完整地休息 1 分钟。"},
        {"😎 Break time! Warm compress on closed lids, 5 minutes. Helps the oil glands flow.",
         "😎 去休息！热毛巾敷眼 5 分钟，帮睑板腺疏通油脂。"},
        {"😎 Break time! Slow eye circles: 5 clockwise, 5 counterclockwise.",
         "😎 去休息！眼球慢慢转圈：顺时针 5 圈，逆时针 5 圈。"},
        {"😎 Break time! Walk to a window and gaze at the horizon for 1 minute.",
         "😎 去休息！走到窗边，眺望远处的天际线 1 分钟。"},
        {"😎 Break time! Slow blinks: close, hold 2 seconds, open. 10 times.",
         "😎 去休息！慢速眨眼：闭眼停 2 秒再睁开，做 10 次。"},
        {"😎 Break time! Trace a big figure 8 with your eyes, 5 times.",
         "😎 去休息！眼睛在空中慢慢画大大的 8 字，画 5 遍。"},
        {"😎 Break time! Step outside for 5 minutes. Daylight and distance, both at once.",
         "😎 去休息！出门走 5 分钟，自然光和远眺一次搞定。"},
        {"😎 Break time! Pick a distant object and trace its outline for 30 seconds.",
         "😎 去休息！找个远处的物体，用目光描它的轮廓 30 秒。"},
        {"😎 Break time! Look up, down, left, right, 2 seconds each. 5 rounds.",
         "😎 去休息！眼睛依次看上、下、左、右，各停 2 秒，做 5 轮。"},
        {"😎 Break time! No phone before bed—start that habit tonight.",
         "😎 去休息！睡前不刷手机，就从现在开始，今晚先做一次。"},
    }},
    // Circulation & Veins
    {{
        {"😎 Break time! 10 calf raises. Get that blood moving.",
         "😎 去休息！起来做 10 个提踵，血液循环走起。"},
        {"😎 Break time! Ankle circles: 10 each direction.",
         "😎 去休息！脚踝画圈：顺逆各 10 圈，腓肠肌在欢呼。"},
        {"😎 Break time! Walk for 3 minutes—take the stairs if you can.",
         "😎 去休息！起来走 3 分钟，能走楼梯就走楼梯。"},
        {"😎 Break time! Lean back, legs up on a second chair for 2 minutes. Gravity helps your veins.",
         "😎 去休息！往后靠，把腿架到另一把椅子上 2 分钟，让重力帮静脉回流。"},
        {"😎 Break time! March in place, knees high, for 30 seconds.",
         "😎 去休息！原地高抬腿踏步 30 秒。"},
        {"😎 Break time! Ankle pumps: flex and point, 20 times.",
         "😎 去休息！踝泵运动：勾脚、绷脚交替 20 次。"},
        {"😎 Break time! Refill your water, the long way round.",
         "😎 去休息！绕远路去接杯水。"},
        {"😎 Break time! Heels down, lift your toes 15 times.",
         "😎 去休息！脚跟着地，抬脚尖 15 次。"},
        {"😎 Break time! 10 slow squats. Your thigh muscles squeeze the veins too.",
         "😎 去休息！慢慢做 10 个深蹲，大腿肌肉也在帮静脉回流。"},
        {"😎 Break time! Single-leg calf raises, 8 each side. Hold the desk.",
         "😎 去休息！扶着桌子单腿提踵，每边 8 次。"},
        {"😎 Break time! Heel-to-toe walk: 20 steps in a straight line.",
         "😎 去休息！脚跟贴脚尖走直线，走 20 步。"},
        {"😎 Break time! Shake out your legs for 30 seconds, then walk one lap.",
         "😎 去休息！抖抖腿 30 秒，再绕办公室走一圈。"},
        {"😎 Break time! 5 slow belly breaths. Deep breathing helps pull blood back to the heart.",
         "😎 去休息！慢慢做 5 次腹式呼吸，深呼吸能帮血液回流心脏。"},
        {"😎 Break time! 5 slow full calf raises: rise all the way, lower slowly.",
         "😎 去休息！5 次慢速全脚掌提踵放落，感受小腿泵在工作。"},
    }},
    // Lower Limbs & Muscles
    {{
        {"😎 Break time! 10 squats. Your glutes have been waiting.",
         "😎 去休息！起来做 10 个深蹲，臀肌在等待你的召唤。"},
        {"😎 Break time! 10 alternating lunges. Wake up those sleeping leg muscles.",
         "😎 去休息！交替弓步走 10 步，唤醒沉睡的腿部肌群。"},
        {"😎 Break time! Standing glute squeezes: hold 5 seconds, 10 reps.",
         "😎 去休息！站着夹紧臀部，保持 5 秒，做 10 次。"},
        {"😎 Break time! Wall calf stretch: back heel down, 30 seconds each leg.",
         "😎 去休息！双手扶墙拉伸小腿，后脚跟踩实，每条腿 30 秒。"},
        {"😎 Break time! Standing quad stretch: heel to glute, 20 seconds each side.",
         "😎 去休息！站立拉伸大腿前侧：脚跟拉向臀部，每边 20 秒。"},
        {"😎 Break time! Lunge hip-flexor stretch: 30 seconds each side.",
         "😎 去休息！弓步拉伸髋部前侧，每边 30 秒。"},
        {"😎 Break time! Side leg raises holding the desk: 10 each side.",
         "😎 去休息！扶着桌子侧抬腿，每边 10 次。"},
        {"😎 Break time! Seated knee extensions: straighten each leg slowly, 10 times.",
         "😎 去休息！坐着慢慢伸直膝盖，每条腿 10 次。"},
        {"😎 Break time! Glute bridges on the floor: 10 reps, squeeze at the top.",
         "😎 去休息！躺在地上做 10 个臀桥，顶端夹紧臀部。"},
        {"😎 Break time! Hamstring stretch: heel on a low step, 20 seconds each leg.",
         "😎 去休息！脚跟搭在矮台阶上拉伸大腿后侧，每条腿 20 秒。"},
        {"😎 Break time! Sit-to-stand: 10 times without using your hands.",
         "😎 去休息！不用手扶，从椅子上站起再坐下，做 10 次。"},
        {"😎 Break time! Figure-4 stretch: ankle on the other knee, lean forward, 30 seconds each side.",
         "😎 去休息！坐姿 4 字拉伸：脚踝搭到对侧膝上，身体前倾，每边 30 秒。"},
        {"😎 Break time! Walk 20 steps on your heels, then 20 on your toes.",
         "😎 去休息！先用脚跟走 20 步，再踮脚尖走 20 步。"},
        {"😎 Break time! Foot circles, 10 each direction. Ankles and calves both.",
         "😎 去休息！脚掌画圈，顺逆各 10 圈，踝关节和小腿都谢了。"},
    }},
}};

} // namespace

Strings::TargetPool Strings::restingAdvicePool(Language lang)
{
    return targetPool(kRestExercises, lang);
}

} // namespace plovane
