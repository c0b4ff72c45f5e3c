# Shared by the benchmarks: sourced, not run.

# The catalogue's SQL: every class has an integer key, a display member, 16 more
# members of the five types, and two references to earlier classes (10%).
catalogue_sql() {
  awk -v n="$1" 'BEGIN {
    q = "\x27";
    print "begin;";
    print "insert into t_project(projectName) values (" q "Bench" q ");";
    split("字符串 整型 浮点型 日期型 图片型", types, " ");
    cols = "insert into t_member(projectId,classId,memberName,memberType,memberLength,memberIsPri,memberComment," \
           "memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,memberQueryDisplay) values ";
    for (c = 1; c <= n; c++) {
      printf "insert into t_class(projectId,className,friendName) values (1,%sC%d%s,%s类%d%s);\n", q, c, q, q, c, q;
      printf "%s(1,%d,%sid%s,%s整型%s,0,1,%s编号%s,1,1,0,0,0,1);\n", cols, c, q, q, q, q, q, q;
      printf "%s(1,%d,%sname%s,%s字符串%s,50,0,%s名称%s,1,0,0,1,1,1);\n", cols, c, q, q, q, q, q, q;
      for (m = 3; m <= 20; m++) {
        if (m >= 19 && c > 1) {
          target = 1 + (c * 7 + m) % (c - 1);
          printf "%s(1,%d,%sref%d%s,%sC%d%s,0,0,%s引用%s,1,0,0,0,0,1);\n", cols, c, q, m, q, q, target, q, q, q;
        } else {
          t = types[(m % 5) + 1];
          printf "%s(1,%d,%sm%d%s,%s%s%s,%d,0,%s成员%d%s,1,%d,%d,0,0,1);\n", cols, c, q, m, q, q, t, q,
                 (t == "字符串") ? 20 : 0, q, m, q, (t == "整型"), (t == "浮点型");
        }
      }
    }
    print "commit;";
  }'
}
