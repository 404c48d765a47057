// One health fact per text, by body area, shown while the user is away.

#include "settings/StringsText.h"

namespace plovane {

using strings_detail::AreaLists;
using strings_detail::targetPool;

namespace {

constexpr AreaLists kHealthFacts{{
    // Core & Lumbar
    {{
        {"Discs lose hydration after 40 min of compression—like a squeezed sponge.",
         "椎间盘被压 40 分钟后开始脱水，像被拧干的海绵。"},
        {"Seated lumbar load is 1.4× standing. Always use your backrest.",
         "坐着时腰椎压力是站着的 1.4 倍，靠背很重要。"},
        {"Tilting your head 60° forward puts about 27 kg on your neck.",
         "头前倾 60 度时，颈椎要承受约 27 公斤的重量。"},
        {"You're up to 1–2 cm shorter by evening: discs lose fluid under load all day.",
         "人到晚上会比早上矮 1-2 厘米，椎间盘被压了一整天，水分流失了。"},
        {"Adult discs have almost no blood supply; movement pumps nutrients in and waste out.",
         "成年人的椎间盘几乎没有血管，要靠活动把营养泵进去、把代谢废物挤出来。"},
        {"About 80% of adults get low back pain at some point in their lives.",
         "约 80% 的成年人一生中至少会腰痛一次。"},
        {"Most disc herniations improve within 6–12 weeks without surgery.",
         "大多数腰椎间盘突出在 6-12 周内不用手术就能好转。"},
        {"Lying on your back cuts lumbar disc pressure to about 20% of standing.",
         "平躺时腰椎间盘的压力只有站立时的约 20%。"},
        {"A healthy neck curves inward about 20–40°. Years of looking down can flatten it.",
         "健康颈椎有约 20-40 度的生理前凸，常年低头会把它拉直。"},
        {"Low back pain is the world's leading cause of years lived with disability.",
         "腰痛是全球致残的头号原因。"},
        {"About 1 in 3 adults has neck pain within a year.",
         "每年约有三分之一的成年人会出现颈部疼痛。"},
        {"Your head weighs 4.5–5.5 kg—about a bowling ball balanced on your neck.",
         "人的头重约 4.5-5.5 公斤，相当于脖子上顶着一个保龄球。"},
        {"Numbness down one leg can mean a disc is pressing a nerve. See a doctor if it lasts.",
         "一侧腿部放射性麻木可能是椎间盘压迫神经，持续不缓解要及时就医。"},
        {"Sneezing while bent forward spikes disc pressure. Instinctive arch-back is actually safer.",
         "打喷嚏时向前弯腰会让椎间盘压力瞬间飙升，下意识后仰会更安全。"},
    }},
    // Visual Sensors
    {{
        {"20-20-20 rule: every 20 min, look 20 ft away for 20 sec.",
         "20-20-20 法则：每 20 分钟看 6 米外 20 秒，简单有效。"},
        {"Screen 50-70cm away, gaze angled 15° downward—the sweet spot.",
         "屏幕和眼睛保持 50-70cm，视线微微向下最舒服。"},
        {"You blink about 15 times a minute—at a screen that can drop by half or more.",
         "正常每分钟眨眼约 15 次，盯着屏幕时会减少一半以上。"},
        {"More than half of heavy screen users report digital eye strain.",
         "超过一半的重度屏幕使用者有视疲劳症状。"},
        {"Beyond about 6 m, your focusing muscle can fully relax.",
         "看 6 米以外的地方，睫状肌才能完全放松。"},
        {"Your tear film has 3 layers: oil, water and mucus. Skipped blinks let the water evaporate.",
         "泪膜有 3 层：油脂层、水液层和黏液层，不眨眼水分就会蒸发。"},
        {"Incomplete blinks—lids not fully closing—are a major driver of screen dry eye.",
         "眨眼时眼睑没完全闭合，是看屏幕导致干眼的一大原因。"},
        {"About 1 in 3 people worldwide is nearsighted; by 2050 it may be half.",
         "全球约三分之一的人近视，预计到 2050 年会达到一半。"},
        {"Pseudo-myopia is a focusing spasm, not a longer eyeball. Rest can reverse it.",
         "假性近视是睫状肌调节痉挛，眼轴并没有变长，充分休息可以恢复。"},
        {"Focusing range shrinks with age; most people need reading glasses around 40–45.",
         "眼睛的调节能力随年龄下降，多数人在 40-45 岁前后开始老花。"},
        {"Screens emit far less blue light than daylight. Strain comes from close focus and few blinks.",
         "屏幕发出的蓝光远少于日光，眼疲劳主要来自长时间近距离对焦和眨眼太少。"},
        {"Each eyelid holds 20–40 tiny oil glands that keep your tears from evaporating.",
         "每个眼睑里有 20-40 个睑板腺，分泌的油脂能防止泪液蒸发。"},
        {"About half of contact lens wearers report dry eye symptoms.",
         "约一半的隐形眼镜佩戴者有干眼症状。"},
        {"Chronically elevated eye pressure is an early glaucoma signal. Prolonged screens accelerate it.",
         "眼压长期偏高是青光眼的早期信号，久坐盯屏幕会加速眼压升高。"},
    }},
    // Circulation & Veins
    {{
        {"After 30 min of sitting, your calf pump goes offline. Blood pools.",
         "久坐 30 分钟，小腿肌肉泵就下线了，血液开始摸鱼。"},
        {"Calf raises boost brain oxygenation too—free productivity hack.",
         "提踵不只防静脉曲张，还能给大脑加氧，一举两得。"},
        {"Your calves are the 'second heart': each contraction pumps blood up against gravity.",
         "小腿被称为“第二心脏”，每次收缩都在逆着重力把血液泵回心脏。"},
        {"Sitting still for over 4 hours roughly doubles your risk of a blood clot.",
         "连续静坐超过 4 小时，血栓风险大约翻倍。"},
        {"Years of pressure stretch the one-way valves in leg veins until they leak: varicose veins.",
         "腿部静脉的单向瓣膜常年受压会被撑松、关不严，这就是静脉曲张。"},
        {"Around 1 in 4 adults has varicose veins.",
         "大约四分之一的成年人有静脉曲张。"},
        {"Swelling, warmth and pain in one calf can signal a clot. See a doctor the same day.",
         "单侧小腿肿胀、发热、疼痛可能是血栓信号，要当天就医。"},
        {"A clot in the lungs is a pulmonary embolism. Sudden breathlessness or chest pain is an emergency.",
         "血栓跑到肺里就是肺栓塞，突然气短或胸痛要立刻急诊。"},
        {"A 5-minute walk every hour keeps sitting from dulling your leg arteries.",
         "每小时走 5 分钟，就能避免久坐让腿部血管功能变差。"},
        {"Blood in your feet climbs about 1.2 m back to your heart, against gravity.",
         "脚上的血液要逆着重力爬升约 1.2 米才能回到心脏。"},
        {"Dehydration thickens your blood and makes clots more likely.",
         "缺水会让血液变稠，更容易形成血栓。"},
        {"Women are about twice as likely as men to develop varicose veins.",
         "女性出现静脉曲张的几率约是男性的 2 倍。"},
        {"Standing still for hours strains leg veins too. Stillness is the problem, not the chair.",
         "一动不动地站几个小时同样伤静脉，问题不在椅子，而在不动。"},
        {"Evening ankle swelling is a full day of venous pressure accumulating. Not just bad sleep.",
         "脚踝肿胀在晚上最明显，这是一整天静脉压积累的结果，不是没睡好。"},
    }},
    // Lower Limbs & Muscles
    {{
        {"After 1 hour of sitting, glute activation drops 50%+. That's gluteal amnesia.",
         "坐 1 小时后，臀大肌激活率下降超过 50%，这就是死臀的起点。"},
        {"Knee cartilage has no blood vessels—it feeds on synovial fluid. Bending = starvation.",
         "膝关节软骨没有血管，靠滑液营养，固定弯曲意味着它在挨饿。"},
        {"The gluteus maximus is your body's largest muscle—and it idles the whole time you sit.",
         "臀大肌是人体最大的肌肉，而你坐着的时候它一直在闲置。"},
        {"Weak glutes hand their work to your lower back and knees, a common source of pain.",
         "臀肌无力时，腰和膝盖要替它干活，这是常见的疼痛来源。"},
        {"Walking loads your knees with about 2.5× body weight; climbing stairs, over 3×.",
         "走路时膝盖承受约 2.5 倍体重，爬楼梯时超过 3 倍。"},
        {"Every kilo of weight lost takes about 4 kg of load off your knees with each step.",
         "体重每减 1 公斤，每走一步膝盖就少承受约 4 公斤的力。"},
        {"Long sitting shortens your hip flexors, tilts the pelvis and makes glutes harder to fire.",
         "久坐会让髋屈肌变短，骨盆前倾，臀肌更难发力。"},
        {"Up to 60% of adults get night-time leg cramps, most often in the calf.",
         "多达 60% 的成年人有过夜间腿抽筋，最常见的部位是小腿。"},
        {"Cramp hitting? Pull your toes toward you and hold about 30 seconds—the fastest fix.",
         "抽筋时把脚尖往回勾，拉伸小腿约 30 秒，这是最快的缓解办法。"},
        {"Morning knee stiffness that lasts over 30 minutes is worth a doctor's visit.",
         "早上膝盖僵硬超过 30 分钟，值得去看看医生。"},
        {"After 30, unused muscle shrinks about 3–8% per decade.",
         "30 岁以后，不锻炼的肌肉每 10 年会流失约 3-8%。"},
        {"Sitting with knees bent past 90° for hours raises pressure behind the kneecap.",
         "膝盖长时间弯曲超过 90 度，髌骨后方的压力会升高。"},
        {"Hours of sitting tighten your hamstrings, which then tug on your lower back.",
         "久坐会让大腿后侧肌群变紧，进而牵拉腰部。"},
        {"Calf cramps peak when dehydration and fatigue combine. Post-exercise evening: drink water.",
         "腓肠肌抽筋高发于脱水和疲劳同时出现的时候，晚上运动后记得补水。"},
    }},
}};

} // namespace

Strings::TargetPool Strings::hoveringTriviaPool(Language lang)
{
    return targetPool(kHealthFacts, lang);
}

} // namespace plovane
