// The texts of the demonstration edition's four lessons.
#include "catalogue.h"

namespace dd {

const DemoText demoTexts[kDemoCount] = {
    {"001",
     "My husband called at 7 yesterday evening and said, “I'm sorry, but I have to work late "
     "tonight.” So I had dinner alone and watched a movie.",
     "夫が昨晩7時に電話してきて，「ごめん，今夜は遅くまで仕事なんだ。」と言いました。"
     "それで私は一人で夕食を食べて，映画を見ました。",
     "夫が電話してきた／昨日の夕方７時に／そして言った，／「申し訳ない，／"
     "でも私は遅くまで働かなければならない・今夜は。」／それで私は夕食を食べた・一人で／"
     "そして映画を見た。"},
    {"002",
     "“Is there a convenience store around here?” asked an elderly tourist. “Yes, there's one "
     "opposite the station entrance,” I answered.",
     "「この辺りにコンビニはありますか？」と年配の旅行者が尋ねました。"
     "「はい，駅の入り口の向かいに一軒あります。」と私は答えました。",
     "「あるのですか・コンビニエンスストアが・この辺りに？」／と尋ねた／"
     "一人の年配の旅行者が。／「はい，／一軒のお店があります／駅の入り口の向かい側に。」／"
     "と私は答えた。"},
    {"003",
     "When I got home yesterday afternoon, my daughter came running downstairs.  “Mom, guess "
     "what!” she shouted. “I got 100 on my science test!”",
     "昨日の午後，家に帰ると，娘が階段を駆け下りてきました。「お母さん，聞いて。」と叫びました。"
     "「理科のテストで100点を取ったの。」",
     "私が家に帰ったとき／昨日の午後に，／私の娘が走って階段を下りてきた。／"
     "「お母さん，何だと思う？」／と彼女は叫んだ。／「私は１００点を取った／理科のテストで。」"},
    {"004",
     "It was raining heavily, and I'd forgotten my umbrella. A kind woman at the station shared "
     "hers and said, “Don't worry, we're going the same way.”",
     "雨が激しく降っていたのに，傘を忘れてしまいました。駅で親切な女性が傘に入れてくれて，"
     "「大丈夫です，同じ方向ですから。」と言いました。",
     "雨が激しく降っていた，／そして私は忘れてきてしまっていた・自分の傘を。／"
     "一人の親切な女性が・駅にいた／分け合ってくれた・彼女のもの（彼女の傘）を／"
     "そして言った，／「心配しないでください，／私たちは向かうところですから・同じ方向へ。」"},
};

}  // namespace dd
