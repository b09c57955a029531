# The benchmarks' program folder, sourced by bench/update_bench.sh and bench/login_bench.sh:
# 2,000 files, 1 GiB in all, one of 64 MiB (the 64 MiB update serves it too) and the others spread
# log-uniformly from a few hundred bytes to a few MiB over 20 folders. Made once under WORK and
# kept; make_file_set WORK sets set_dir (the folder) and set_list (its md5sum list).

make_file_set() {
    local work=$1 mib=1048576
    set_dir=$work/update-set
    set_list=$work/update-set.md5
    if [ -f "$set_list" ] && [ "$(wc -l <"$set_list")" -eq 2000 ] &&
        [ "$(find "$set_dir" -type f -printf '%s\n' | awk '{ n++; s += $1 } END { print n, s }')" \
            = "2000 $((1024 * mib))" ]; then
        return 0
    fi
    echo "making the 1 GiB file set (once)"
    rm -rf "$set_dir" "$set_list"
    mkdir -p "$set_dir"
    awk -v n=1999 -v total=$((960 * mib)) -v mib=$mib 'BEGIN {
        srand(20240615)
        lo = log(256); hi = log(8 * mib)
        for (i = 0; i < n; i++) { s[i] = exp(lo + rand() * (hi - lo)); sum += s[i] }
        left = total
        for (i = 0; i < n; i++) {
            size = i == n - 1 ? left : int(s[i] * total / sum)
            left -= size
            printf "%d Res/Part%02d/file%04d.dat\n", size, i % 20, i
        }
        printf "%d GameRes.pak\n", 64 * mib
    }' >"$work/update-set.sizes"
    while read -r size name; do
        [[ $name != */* ]] || mkdir -p "$set_dir/${name%/*}"
        head -c "$size" /dev/urandom >"$set_dir/$name"
    done <"$work/update-set.sizes"
    (cd "$set_dir" && cut -d' ' -f2 "$work/update-set.sizes" | xargs md5sum) >"$set_list.tmp"
    mv "$set_list.tmp" "$set_list"
    rm -f "$work/update-set.sizes"
}
